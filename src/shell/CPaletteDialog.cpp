#include "shell/CPaletteDialog.h"

#include <QPainter>
#include <QWidget>

#include "shell/ButtonPictures.h"
#include "shell/CBitmapButton.h"
#include "shell/CDDrawBar.h"

namespace {

// The palette's window: its background picture under the buttons.
class CPaletteWindow : public QWidget {
 public:
  CPaletteWindow(QWidget* pOwner, int nBackground)
      : QWidget(pOwner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
        m_nBackground(nBackground) {
    // The palette never takes the focus, so it is never the active window; its tooltips
    // must show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const qreal dRatio = devicePixelRatioF();
    if (m_background.isNull() || m_background.devicePixelRatio() != dRatio ||
        m_background.deviceIndependentSize().toSize() != size()) {
      m_background = DrawPaletteBackground(m_nBackground, size(), dRatio);
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_background);
  }

 private:
  int m_nBackground;
  QImage m_background;
};

}  // namespace

CPaletteDialog::CPaletteDialog(res::PaletteKind kind) : m_kind(kind) {}

CPaletteDialog::~CPaletteDialog() { delete m_pWindow.data(); }

bool CPaletteDialog::Create(QWidget* pOwner, res::Language lang, Poster fnPost) {
  if (!m_pWindow.isNull()) return false;
  const res::PaletteTemplate& tmpl = Template();
  m_fnPost = std::move(fnPost);
  m_pWindow = new CPaletteWindow(pOwner, tmpl.background);
  m_pWindow->setObjectName(QStringLiteral("Palette%1").arg(tmpl.templateId));
  m_pWindow->setFixedSize(res::DialogUnitsToPixelsX(tmpl.cx), res::DialogUnitsToPixelsY(tmpl.cy));
  m_buttons.clear();
  for (const res::PaletteButton& row : tmpl.buttons) {
    auto* pButton = new CBitmapButton(m_pWindow.data());
    pButton->AutoLoad(row.id, row.caption,
                      QSize(res::DialogUnitsToPixelsX(row.cx), res::DialogUnitsToPixelsY(row.cy)));
    pButton->move(res::DialogUnitsToPixelsX(row.x), res::DialogUnitsToPixelsY(row.y));
    pButton->setToolTip(QString::fromStdString(res::TooltipText(row.english, row.czech, lang)));
    // Palette buttons never keep the keyboard focus, so the view keeps it for typing.
    pButton->setFocusPolicy(Qt::NoFocus);
    const res::PaletteButton* pRow = &row;
    QObject::connect(pButton, &QAbstractButton::clicked, m_pWindow.data(),
                     [this, pRow] { OnButton(*pRow); });
    m_buttons.push_back(pButton);
  }
  return true;
}

void CPaletteDialog::ShowAt(QPoint ptScreen) {
  if (!m_pWindow) return;
  m_pWindow->move(ptScreen);
  m_pWindow->show();
}

void CPaletteDialog::Hide() {
  if (m_pWindow) m_pWindow->hide();
}

bool CPaletteDialog::IsVisible() const { return m_pWindow && m_pWindow->isVisible(); }

CBitmapButton* CPaletteDialog::Button(int nId) const {
  if (m_pWindow.isNull()) return nullptr;
  for (CBitmapButton* p : m_buttons) {
    if (p->GetDlgCtrlID() == nId) return p;
  }
  return nullptr;
}

void CPaletteDialog::OnButton(const res::PaletteButton& button) {
  Hide();
  // The click on the Draw bar made the bar the active window; the activation goes back to
  // the main window, so that typing reaches the formula being edited again.
  if (QWidget* pOwner = m_pWindow ? m_pWindow->parentWidget() : nullptr) {
    pOwner->window()->activateWindow();
  }
  // An insertion repaints the formula; the palette's hole must be painted over first.
  if (m_kind == res::PaletteKind::Indexes || m_kind == res::PaletteKind::Symbol1 ||
      m_kind == res::PaletteKind::Symbol2) {
    CDDrawBar::PumpMessages();
  }
  if (m_fnPost) m_fnPost(button.message);
}
