#include "platform/CTextMetrics.h"

#include <QFontMetricsF>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

// Bytes 0x80 to 0x9F of Windows-1252; 0xA0 to 0xFF equal their Latin-1 code points. The
// five bytes the code page leaves undefined keep their C1 control value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// Bytes 0x80 to 0xFF of Windows-1250, undefined bytes as above.
constexpr char16_t kCp1250High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// The letters of the Symbol encoding, indexed by byte - 'A' for 'A' .. 'z'. Zero marks
// the six punctuation bytes between the capitals and the small letters.
constexpr char16_t kSymbolLetters['z' - 'A' + 1] = {
    0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397,  // A B C D E F G H
    0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0,  // I J K L M N O P
    0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E,  // Q R S T U V W X
    0x03A8, 0x0396, 0,      0,      0,      0,      0,      0,       // Y Z [ \ ] ^ _ `
    0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7,  // a b c d e f g h
    0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0,  // i j k l m n o p
    0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE,  // q r s t u v w x
    0x03C8, 0x03B6,                                                  // y z
};

std::atomic<int> g_nCodePage{1252};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Font objects per face and weight, and unscaled advances per face, weight, code page and
// bytes. Height only scales the reference measurements, so it is not part of the keys.
struct FaceMetrics {
  QFont font;
  QFontMetricsF fm;
  double dAscent;
  double dDescent;
  explicit FaceMetrics(const QFont& f)
      : font(f), fm(f), dAscent(fm.ascent()), dDescent(fm.descent()) {}
};

struct MetricsCache {
  std::mutex mutex;
  std::map<std::pair<std::string, int>, std::unique_ptr<FaceMetrics>> faces;
  std::unordered_map<std::string, double> advances;
};

// Never destroyed: font objects must not outlive the application's font system at exit.
MetricsCache& Cache() {
  static MetricsCache* const pCache = new MetricsCache;
  return *pCache;
}

constexpr std::size_t kMaxCachedFaces = 256;

// Called with the cache locked.
FaceMetrics& FaceOf(MetricsCache& cache, const CFont& font) {
  auto key = std::make_pair(font.strFace, font.nWeight);
  auto it = cache.faces.find(key);
  if (it == cache.faces.end()) {
    if (cache.faces.size() >= kMaxCachedFaces) {
      // Advances of forgotten faces would still be right, but keep the two in step.
      cache.faces.clear();
      cache.advances.clear();
    }
    it = cache.faces
             .emplace(std::move(key),
                      std::make_unique<FaceMetrics>(CTextMetrics::ReferenceFont(font)))
             .first;
  }
  return *it->second;
}

// Face length, face, weight and code page in front of the bytes, so keys never collide.
std::string AdvanceKey(const CFont& font, int nCodePage, std::string_view text) {
  std::string key;
  const std::uint32_t nFace = static_cast<std::uint32_t>(font.strFace.size());
  const std::int32_t nums[3] = {static_cast<std::int32_t>(nFace), font.nWeight, nCodePage};
  key.reserve(sizeof nums + font.strFace.size() + text.size());
  key.append(reinterpret_cast<const char*>(nums), sizeof nums);
  key.append(font.strFace);
  key.append(text);
  return key;
}

}  // namespace

bool CTextMetrics::SetCodePage(int nCodePage) {
  if (nCodePage != 1250 && nCodePage != 1252) return false;
  g_nCodePage.store(nCodePage);
  return true;
}

int CTextMetrics::GetCodePage() { return g_nCodePage.load(); }

char16_t CTextMetrics::DecodeByte(unsigned char byte, int nCodePage) {
  if (byte < 0x80) return byte;
  if (nCodePage == 1250) return kCp1250High[byte - 0x80];
  if (byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

int CTextMetrics::EncodeChar(char32_t ch, int nCodePage) {
  if (ch < 0x80) return static_cast<int>(ch);
  if (ch < 0xA0) return -1;
  for (int b = 0x80; b <= 0xFF; ++b) {
    if (DecodeByte(static_cast<unsigned char>(b), nCodePage) == ch) return b;
  }
  return -1;
}

char16_t CTextMetrics::SymbolByte(unsigned char byte) {
  if (byte >= 'A' && byte <= 'z') {
    const char16_t c = kSymbolLetters[byte - 'A'];
    if (c != 0) return c;
  }
  return byte;
}

bool CTextMetrics::IsSymbolFace(std::string_view face) { return EqualsNoCase(face, "Symbol"); }

QString CTextMetrics::FamilyFor(std::string_view face) {
  if (IsSymbolFace(face)) return QStringLiteral("Liberation Serif");
  if (EqualsNoCase(face, "Arial")) return QStringLiteral("Liberation Sans");
  return QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size()));
}

QString CTextMetrics::TextFor(const CFont& font, std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  if (IsSymbolFace(font.strFace)) {
    for (char c : text) out.append(QChar(SymbolByte(static_cast<unsigned char>(c))));
  } else {
    const int nCodePage = GetCodePage();
    for (char c : text) out.append(QChar(DecodeByte(static_cast<unsigned char>(c), nCodePage)));
  }
  return out;
}

QFont CTextMetrics::ReferenceFont(const CFont& font) {
  QFont f(FamilyFor(font.strFace));
  f.setPixelSize(kReferencePixels);
  // Outline metrics only: hinting would snap them to the reference grid, and kerning is
  // not applied by the layout the drawings were made with.
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setKerning(false);
  f.setStyleStrategy(QFont::PreferOutline);
  const int nWeight = font.nWeight <= 0 ? 400 : std::clamp(font.nWeight, 1, 1000);
  f.setWeight(static_cast<QFont::Weight>(nWeight));
  return f;
}

double CTextMetrics::ScaleOf(const CFont& font) {
  return static_cast<double>(std::llabs(static_cast<long long>(font.nHeight))) / kReferencePixels;
}

CTextMetrics::Metrics CTextMetrics::Measure(const CFont& font, std::string_view text) {
  MetricsCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  FaceMetrics& face = FaceOf(cache, font);
  const double k = ScaleOf(font);
  Metrics m;
  m.dAscent = face.dAscent * k;
  m.dDescent = face.dDescent * k;
  if (!text.empty()) {
    std::string key = AdvanceKey(font, GetCodePage(), text);
    auto it = cache.advances.find(key);
    if (it == cache.advances.end()) {
      if (cache.advances.size() >= kMaxCachedTexts) cache.advances.clear();
      const double dAdvance = face.fm.horizontalAdvance(TextFor(font, text));
      it = cache.advances.emplace(std::move(key), dAdvance).first;
    }
    m.dAdvance = it->second * k;
  }
  return m;
}

CTextMetrics::ReferenceFace CTextMetrics::CachedReferenceFace(const CFont& font) {
  MetricsCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  const FaceMetrics& face = FaceOf(cache, font);
  return ReferenceFace{face.font, face.dAscent};
}

std::size_t CTextMetrics::CachedTextCount() {
  MetricsCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  return cache.advances.size();
}

void CTextMetrics::ClearCache() {
  MetricsCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  cache.faces.clear();
  cache.advances.clear();
}

CSize CTextMetrics::Extent(const CFont& font, std::string_view text) {
  const Metrics m = Measure(font, text);
  return CSize{Round32(m.dAdvance), Round32(m.dAscent + m.dDescent)};
}
