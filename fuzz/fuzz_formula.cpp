// Feeds random formula texts through the caret-stop rule at every position, the drawing
// on the recording surface and random sequences of the editing operations. Every walk
// must end, stay inside the text and leave the caret on a caret stop.
//
// Input: byte 0 is the text's length L; bytes 1 ... L are the text; every later byte picks
// one editing operation (some take the byte after them as an argument).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formula/CFormula.h"
#include "formula/FormulaMarkup.h"
#include "objects/CRecordingDC.h"
#include "objects/ICaretSink.h"

namespace {

class Sink : public ICaretSink {
 public:
  void PrepareSurface(CDC*) override {}
  void ShowCaretAt(CDC*, CPoint, int nHeight) override {
    if (nHeight < 0) std::abort();
  }
};

void Check(const CFormula& f) {
  if (f.m_nCaret < 0 || static_cast<std::size_t>(f.m_nCaret) > f.m_strText.size()) std::abort();
  if (StopKindAt(f.m_strText, f.m_nCaret) == NoStop) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Sink sink;
  if (size == 0) return 0;
  const std::size_t len = std::min<std::size_t>(data[0], size - 1);
  CFormula f;
  f.m_strText.assign(reinterpret_cast<const char*>(data + 1), len);
  f.m_ptAnchor = CPoint{100, -100};

  CRecordingDC dc;
  const int n = static_cast<int>(f.m_strText.size());
  int nStops = 0;
  for (int p = 0; p <= n; ++p) {
    CPoint pt;
    const int kind = f.LocateCaret(&dc, 0, p, &pt, &sink);
    if (kind != StopKindAt(f.m_strText, p)) std::abort();
    if (kind != NoStop) ++nStops;
  }
  if (nStops == 0 || StopKindAt(f.m_strText, 0) != BaseStop) std::abort();
  f.Draw(&dc);

  std::size_t i = 1 + len;
  int nOps = 0;
  while (i < size && nOps++ < 48) {
    const std::uint8_t op = data[i++];
    const std::uint8_t arg = i < size ? data[i] : 0;
    switch (op % 12) {
      case 0:
        f.CaretLeft(&dc, &sink);
        break;
      case 1:
        f.CaretRight(&dc, &sink);
        break;
      case 2:
        f.CaretUp(&dc, &sink);
        break;
      case 3:
        f.CaretDown(&dc, &sink);
        break;
      case 4:
        f.DeleteForward(&dc, &sink);
        break;
      case 5:
        f.DeleteBackward(&dc, &sink);
        break;
      case 6:
        f.InsertText(std::string(1, static_cast<char>(arg)));
        ++i;
        break;
      case 7:
        f.InsertFromPalette(&dc, 1030 + arg % 56, &sink);
        ++i;
        break;
      case 8:
        f.PlaceCaretAtPoint(&dc, CPoint{100 + arg * 8, -100 - (op / 12) * 20}, &sink);
        ++i;
        break;
      case 9:
        f.DeleteRange(arg % 8 + f.m_nCaret - 4, f.m_nCaret + arg % 5);
        ++i;
        break;
      case 10:
        f.m_nCaret = arg;
        f.KeepCaretOnStop();
        ++i;
        break;
      default:
        dc.Clear();
        f.Draw(&dc);
        break;
    }
    Check(f);
  }
  return 0;
}
