// Fit Drawing to Page: on, the printed page shows the whole drawing scaled into the
// printable area and centred, whatever the window's zoom and scroll position, which stay as
// they were; off, the page is what the window's mapping prints. Page Setup sets the option
// and the settings file keeps it.
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTimer>

#include "tests/shell/PdfPages.h"
#include "tests/shell/PixelSurvey.h"
#include "tests/shell/ShellFixture.h"
#include "tests/view/DrawingBuilder.h"

namespace {

class FitToPageTest : public ShellFixture {
 protected:
  // The page printed to PDF and drawn at 72 dpi; the printable area in its pixels.
  QImage Printed(CMainFrame* frame, QRect* pPrintable = nullptr) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("page.pdf"));
    if (pPrintable != nullptr) *pPrintable = printer.pageLayout().paintRectPixels(72);
    frame->PrintTo(&printer);
    return FirstPdfPage(Path("page.pdf"), 72);
  }
};

TEST_F(FitToPageTest, TheWholeDrawingPrintsCentredOnThePageWhateverTheWindowShows) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CViewport& viewport = frame->View()->Viewport();
  struct Case {
    int x, y;  // where the drawing lies
    CViewport::CMapping window;
    bool bInkOff;  // whether the window's mapping puts any of it on the page
  };
  for (const Case& c : {Case{200000, -200000, {0.2, 0, 0}, false},   // far off the page
                        Case{1000, -1000, {0.2, 2500, 1500}, true},  // magnified, in part
                        Case{500, -500, {4.8, 0, 0}, true}}) {       // small in a corner
    SCOPED_TRACE(c.x);
    frame->Document()->ClearForReplace();
    DrawingBuilder b(*frame->Document());
    b.Bond(b.Formula("CH#idown 3#", CPoint{c.x, c.y}), b.Dot(c.x + 3000, c.y - 2000));
    b.Ellipse(c.x + 4000, c.y + 1000, c.x + 9000, c.y - 3000);
    b.Bond(b.Dot(c.x - 500, c.y - 6000), b.Dot(c.x + 8500, c.y - 6000), 6);
    viewport.SetMapping(c.window);
    frame->View()->UpdateView();

    frame->SetFitToPage(false);
    const QImage off = Printed(frame);
    EXPECT_EQ(InkOf(off).nPixels > 0, c.bInkOff);
    frame->SetFitToPage(true);
    QRect rc;
    const QImage on = Printed(frame, &rc);
    EXPECT_EQ(viewport.Zoom(), c.window.dZoom);
    EXPECT_EQ(viewport.ScrollX(), c.window.nScrollX);
    EXPECT_EQ(viewport.ScrollY(), c.window.nScrollY);
    // All of it inside the printable area, centred, filling it across or along.
    const PixelBounds ink = InkOf(on);
    ASSERT_GT(ink.nPixels, 100);
    EXPECT_TRUE(rc.contains(QRect(ink.left, ink.top, ink.Width(), ink.Height())));
    EXPECT_NEAR((ink.left + ink.right) / 2.0, rc.center().x(), rc.width() * 0.03);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, rc.center().y(), rc.height() * 0.03);
    EXPECT_TRUE(ink.Width() >= rc.width() * 0.85 || ink.Height() >= rc.height() * 0.85)
        << ink.Width() << " x " << ink.Height() << " in " << rc.width() << " x " << rc.height();
    frame->SetFitToPage(false);
    EXPECT_TRUE(Printed(frame) == off);
  }
  // An empty drawing prints an empty page.
  frame->Document()->ClearForReplace();
  frame->SetFitToPage(true);
  EXPECT_EQ(InkOf(Printed(frame)).nPixels, 0);
  EXPECT_EQ(viewport.Zoom(), 4.8);
}

TEST_F(FitToPageTest, TheSettingsFileKeepsTheOptionWrittenOnlyWhenItChanges) {
  for (const auto& [pszFile, bOn] :
       {std::pair{"[Printing]\nFitToPage=1\n", true}, std::pair{"[Printing]\nFitToPage=0\n", false},
        std::pair{"[Printing]\nFitToPage=yes\n", false},
        std::pair{"[Other]\nFitToPage=1\n", false}}) {
    SCOPED_TRACE(pszFile);
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(pszFile);
    file.close();
    EXPECT_EQ(Start().MainFrame()->FitToPage(), bOn);
    m_app.reset();
  }
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  // No write when nothing changes: a file taken away stays away.
  ASSERT_TRUE(QFile::remove(SettingsPath()));
  frame->SetFitToPage(false);
  EXPECT_FALSE(QFile::exists(SettingsPath()));
  frame->SetFitToPage(true);
  EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), std::optional<std::string>("1"));
  m_app.reset();
  EXPECT_TRUE(Start().MainFrame()->FitToPage());
}

TEST_F(FitToPageTest, PageSetupOffersTheOptionAboveItsButtonsAndKeepsItWhenAccepted) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  // Each run of the dialog: it shows the check box as the option is, the box is turned,
  // and the dialog accepted or cancelled.
  for (const auto& [bAccept, bAfter] :
       {std::pair{true, true}, std::pair{false, true}, std::pair{true, false}}) {
    bool bShown = false, bAnswered = false;
    int nCheckAt = -1, nButtonsAt = -2;
    std::function<void()> answer = [&] {
      auto* pDialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
      if (pDialog == nullptr || !pDialog->isVisible()) return QTimer::singleShot(10, answer);
      auto* pCheck = pDialog->findChild<QCheckBox*>();
      auto* pBox = qobject_cast<QBoxLayout*>(pDialog->layout());
      bAnswered = pCheck != nullptr && pBox != nullptr &&
                  pCheck->text() == QStringLiteral("Fit drawing to page");
      if (!bAnswered) return pDialog->reject();
      nCheckAt = pBox->indexOf(pCheck);
      nButtonsAt = pBox->indexOf(pDialog->findChild<QDialogButtonBox*>());
      bShown = pCheck->isChecked();
      pCheck->setChecked(!bShown);
      bAccept ? pDialog->accept() : pDialog->reject();
    };
    const bool bBefore = frame->FitToPage();
    QTimer::singleShot(10, answer);
    frame->OnFilePrintSetup();
    ASSERT_TRUE(bAnswered);
    EXPECT_EQ(nCheckAt + 1, nButtonsAt);
    EXPECT_EQ(bShown, bBefore);
    EXPECT_EQ(frame->FitToPage(), bAfter);
    EXPECT_EQ(Store().Read(CMainFrame::kFitToPageKey), bAfter ? "1" : "0");
  }
}

}  // namespace
