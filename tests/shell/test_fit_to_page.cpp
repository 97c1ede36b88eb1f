// Fit Drawing to Page: with the option on, a printed page shows the whole drawing scaled
// into the printable area and centred, whatever the window's zoom and scroll position,
// which stay as they were; with it off the page is what the window's mapping prints. The
// option comes from Page Setup and lives in the settings file.
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "document/CKvillDoc.h"
#include "tests/shell/PdfPages.h"
#include "tests/shell/ShellFixture.h"
#include "tests/view/DrawingBuilder.h"
#include "view/CKvillView.h"

namespace {

constexpr int kDpi = 72;

struct Ink {
  int nPixels = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink InkOf(const QImage& image) {
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == 0xffffffffu) continue;
      ++ink.nPixels;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

class FitToPageTest : public ShellFixture {
 protected:
  CMainFrame* StartEnglish() {
    Store().Write(CSettingsStore::kLanguage, "1033");
    CMainFrame* frame = Start().MainFrame();
    frame->View()->Settings().m_bEnglish = 1;
    return frame;
  }

  // The page as printed to a PDF file and drawn at kDpi; the printable area in the same
  // pixels.
  QImage Printed(CMainFrame* frame, const char* pszName, QRect* pPrintable = nullptr) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path(pszName));
    if (pPrintable != nullptr) *pPrintable = printer.pageLayout().paintRectPixels(kDpi);
    frame->PrintTo(&printer);
    return FirstPdfPage(Path(pszName), kDpi);
  }

  // Answers the next page setup dialog as soon as it shows: answer gets the dialog and its
  // Fit Drawing to Page check box and says whether to accept.
  void AnswerPageSetup(std::function<bool(QDialog&, QCheckBox&)> answer) {
    m_bAnswered = false;
    QTimer::singleShot(10, [this, answer] {
      auto* pDialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
      if (pDialog == nullptr || !pDialog->isVisible()) {
        AnswerPageSetup(answer);
        return;
      }
      QCheckBox* pCheck = nullptr;
      for (QCheckBox* p : pDialog->findChildren<QCheckBox*>()) {
        if (p->text() == QStringLiteral("Fit drawing to page")) pCheck = p;
      }
      m_bAnswered = true;
      if (pCheck != nullptr && answer(*pDialog, *pCheck)) {
        pDialog->accept();
      } else {
        pDialog->reject();
      }
    });
  }

  bool m_bAnswered = false;
};

// A formula, two ellipses and a bond between two junctions, spanning about 9000 x 7000
// units around the point (x, y).
void DrawAround(CKvillDoc& doc, int x, int y) {
  DrawingBuilder b(doc);
  CFormula* pFormula = b.Formula("CH#idown 3#", CPoint{x, y});
  b.Bond(pFormula, b.Dot(x + 3000, y - 2000));
  b.Ellipse(x + 4000, y + 1000, x + 9000, y - 3000);
  b.Bond(b.Dot(x - 500, y - 6000), b.Dot(x + 8500, y - 6000), 6);
}

TEST_F(FitToPageTest, TheWholeDrawingPrintsCentredOnThePageWhateverTheWindowShows) {
  CMainFrame* frame = StartEnglish();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CKvillView* view = frame->View();
  struct Case {
    const char* pszName;
    int x, y;  // where the drawing lies
    double dZoom;
    std::int32_t nScrollX, nScrollY;
    bool bInkOff;  // whether the window's mapping puts any of it on the page
  };
  const Case cases[] = {
      // Far from the origin at a small zoom: nothing of it is on the page off.
      {"far", 200000, -200000, 0.2, 0, 0, false},
      // Near the origin, magnified and scrolled: the page shows a part of it off.
      {"magnified", 1000, -1000, 0.2, 2500, 1500, true},
      // Shrunk into a corner at the largest zoom.
      {"shrunk", 500, -500, 4.8, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszName);
    frame->Document()->ClearForReplace();
    DrawAround(*frame->Document(), c.x, c.y);
    view->Viewport().SetMapping(CViewport::CMapping{c.dZoom, c.nScrollX, c.nScrollY});
    view->m_bDirectRender = 0;
    view->UpdateView();
    const CViewport::CMapping before = view->Viewport().Mapping();

    frame->SetFitToPage(false);
    const QImage off = Printed(frame, "off.pdf");
    ASSERT_FALSE(off.isNull());
    frame->SetFitToPage(true);
    QRect rcPrintable;
    const QImage on = Printed(frame, "on.pdf", &rcPrintable);
    ASSERT_FALSE(on.isNull());
    // The window's mapping is the one it had.
    EXPECT_EQ(view->Viewport().Zoom(), before.dZoom);
    EXPECT_EQ(view->Viewport().ScrollX(), before.nScrollX);
    EXPECT_EQ(view->Viewport().ScrollY(), before.nScrollY);

    // All the ink inside the printable area, centred, filling it across or along.
    const Ink ink = InkOf(on);
    ASSERT_GT(ink.nPixels, 100);
    EXPECT_GE(ink.left, rcPrintable.left());
    EXPECT_GE(ink.top, rcPrintable.top());
    EXPECT_LE(ink.right, rcPrintable.right());
    EXPECT_LE(ink.bottom, rcPrintable.bottom());
    const double cx = rcPrintable.left() + rcPrintable.width() / 2.0;
    const double cy = rcPrintable.top() + rcPrintable.height() / 2.0;
    EXPECT_NEAR((ink.left + ink.right) / 2.0, cx, rcPrintable.width() * 0.03);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, cy, rcPrintable.height() * 0.03);
    const bool bFillsWidth = ink.right - ink.left >= rcPrintable.width() * 0.85;
    const bool bFillsHeight = ink.bottom - ink.top >= rcPrintable.height() * 0.85;
    EXPECT_TRUE(bFillsWidth || bFillsHeight)
        << ink.left << ".." << ink.right << " x " << ink.top << ".." << ink.bottom << " in "
        << rcPrintable.width() << " x " << rcPrintable.height();

    // Off again, the page is the window's mapping's once more, and not the fitted one.
    frame->SetFitToPage(false);
    const QImage offAgain = Printed(frame, "off-again.pdf");
    EXPECT_TRUE(offAgain == off);
    EXPECT_FALSE(off == on);
    EXPECT_EQ(InkOf(off).nPixels > 0, c.bInkOff);
  }
}

TEST_F(FitToPageTest, AnEmptyDrawingPrintsAnEmptyPageFitted) {
  CMainFrame* frame = StartEnglish();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CKvillView* view = frame->View();
  view->Viewport().SetMapping(CViewport::CMapping{0.5, 700, 300});
  frame->SetFitToPage(true);
  const QImage page = Printed(frame, "empty.pdf");
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(InkOf(page).nPixels, 0);
  EXPECT_EQ(view->Viewport().Zoom(), 0.5);
  EXPECT_EQ(view->Viewport().ScrollX(), 700);
  EXPECT_EQ(view->Viewport().ScrollY(), 300);
}

TEST_F(FitToPageTest, TheOptionIsReadFromTheSettingsFile) {
  struct Case {
    const char* pszFile;
    bool bOn;
  };
  const Case cases[] = {
      {"[Printing]\nFitToPage=1\n", true},
      {"[Printing]\nFitToPage=0\n", false},
      {"[Printing]\nFitToPage=yes\n", false},
      {"[Other]\nFitToPage=1\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszFile);
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.pszFile);
    file.close();
    CMainFrame* frame = Start().MainFrame();
    EXPECT_EQ(frame->FitToPage(), c.bOn);
    EXPECT_EQ(frame->View()->Settings().m_bFitToPage, c.bOn ? 1 : 0);
    m_app.reset();
  }
}

TEST_F(FitToPageTest, AChangeIsWrittenAndKeptForTheNextRun) {
  ASSERT_TRUE(Store().Write(CMainFrame::kFitToPageKey, "1"));
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  ASSERT_TRUE(frame->FitToPage());

  frame->SetFitToPage(false);
  EXPECT_FALSE(frame->FitToPage());
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("0"));
  // Nothing to write when nothing changes: a file taken away stays away.
  ASSERT_TRUE(QFile::remove(SettingsPath()));
  frame->SetFitToPage(false);
  EXPECT_FALSE(QFile::exists(SettingsPath()));
  frame->SetFitToPage(true);
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("1"));

  // The settings the program writes at its end keep it; the next run starts with it on.
  m_app.reset();
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("1"));
  QFile file(SettingsPath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("[Printing]\nFitToPage=1\n"));
  frame = Start().MainFrame();
  EXPECT_TRUE(frame->FitToPage());
}

TEST_F(FitToPageTest, PageSetupOffersTheOptionAboveItsButtons) {
  CMainFrame* frame = StartEnglish();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  ASSERT_FALSE(frame->FitToPage());

  // Checked and accepted: on, and written.
  bool bShownChecked = true;
  int nCheckAt = -1, nButtonsAt = -1;
  AnswerPageSetup([&](QDialog& dlg, QCheckBox& check) {
    bShownChecked = check.isChecked();
    if (auto* pBox = qobject_cast<QBoxLayout*>(dlg.layout())) {
      nCheckAt = pBox->indexOf(&check);
      nButtonsAt = pBox->indexOf(dlg.findChild<QDialogButtonBox*>());
    }
    check.setChecked(true);
    return true;
  });
  frame->OnFilePrintSetup();
  ASSERT_TRUE(m_bAnswered);
  EXPECT_FALSE(bShownChecked);
  EXPECT_GE(nCheckAt, 0);
  EXPECT_EQ(nCheckAt + 1, nButtonsAt);
  EXPECT_TRUE(frame->FitToPage());
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("1"));

  // Unchecked and cancelled: still on.
  AnswerPageSetup([&](QDialog&, QCheckBox& check) {
    bShownChecked = check.isChecked();
    check.setChecked(false);
    return false;
  });
  frame->OnFilePrintSetup();
  ASSERT_TRUE(m_bAnswered);
  EXPECT_TRUE(bShownChecked);
  EXPECT_TRUE(frame->FitToPage());
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("1"));

  // Unchecked and accepted: off.
  AnswerPageSetup([&](QDialog&, QCheckBox& check) {
    check.setChecked(false);
    return true;
  });
  frame->OnFilePrintSetup();
  ASSERT_TRUE(m_bAnswered);
  EXPECT_FALSE(frame->FitToPage());
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("0"));
}

}  // namespace
