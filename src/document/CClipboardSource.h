#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// The clipboard formats of a drawing on Linux: the native stream, and the picture for
// other programs, as SVG and as PNG.
inline constexpr const char* kNativeMimeType = "application/x-valendra-native";
inline constexpr const char* kSvgMimeType = "image/svg+xml";
inline constexpr const char* kPngMimeType = "image/png";

// What a copy offers on the clipboard. The native stream is offered when it could be made;
// the pictures are drawn, only when a program asks for them, from the stream kept here, so
// that what was copied does not change with later edits. Both are shared, never changed.
class CClipboardSource {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // The native stream, exactly as the document wrote it.
  void CacheNative(std::shared_ptr<const Bytes> pStream) { m_pNative = std::move(pStream); }
  // The stream the picture formats are drawn from.
  void OfferPicture(std::shared_ptr<const Bytes> pStream) { m_pPicture = std::move(pStream); }

  bool HasNative() const { return m_pNative != nullptr; }
  bool HasPicture() const { return m_pPicture != nullptr; }
  const std::shared_ptr<const Bytes>& Native() const { return m_pNative; }
  const std::shared_ptr<const Bytes>& PictureStream() const { return m_pPicture; }

 private:
  std::shared_ptr<const Bytes> m_pNative;
  std::shared_ptr<const Bytes> m_pPicture;
};
