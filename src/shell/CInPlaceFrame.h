#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CMainFrame;
class CResizeBar;
class CViewWidget;
class QAction;
class QMenuBar;
class QToolBar;
class QWindow;

// The frame of a drawing edited in place: a window of ours inside a window of the
// container's (the site), taking the part of the main frame for the time of the editing.
// It holds the view inside a resize bar, refuses whatever is dragged over it, and carries
// menu 4, accelerator table 4 and toolbar 4, the toolbar in an area the container lends
// for it or else along the frame's top. The main frame stays hidden behind it and still
// carries out the commands; the document, the view and the Draw bar are the main frame's.
class CInPlaceFrame : public QWidget {
  Q_OBJECT
 public:
  // The size of the frame in a site that reports none, and the least it can be made.
  static constexpr QSize kDefaultSize{480, 360};
  static constexpr QSize kMinimumSize{200, 150};

  explicit CInPlaceFrame(CMainFrame* pMainFrame);
  ~CInPlaceFrame() override;

  // Creation: the resize bar, the view moved in from the main frame, the drop target; the
  // frame becomes a child of the site and fills it. False without a site.
  bool Create(std::unique_ptr<QWindow> pSite);
  // The control bars: menu 4 and toolbar 4 in the container's toolbar area when one is
  // given (they fill it), otherwise in a row along the frame's top.
  bool CreateControlBars(std::unique_ptr<QWindow> pToolBarSite);
  // Shows the frame and its bars in the container and gives the view the keyboard.
  void Activate();
  // Ends the editing (Esc, or the container's request): Update writes the file and its
  // picture, the frame and its bars leave the container's windows, the view goes back to
  // the main frame, and m_fnDeactivated hears whether Update succeeded. Once only.
  void Deactivate();
  bool IsActive() const { return m_bActive; }
  // Gives the frame the keyboard (a click in it, a choice in a palette).
  void TakeKeyboard();

  // Commands of menu 4, accelerator table 4 and toolbar 4. The Toolbar toggle is the
  // frame's own; the others go through the main frame's filter and routing.
  void OnCommand(int nId);
  // Enabled states and check marks of the in-place menus and toolbar.
  void UpdateCommandUi();

  QToolBar* ToolBar() const { return m_pToolBar; }
  QMenuBar* MenuBar() const { return m_pMenuBar; }
  CResizeBar* ResizeBar() const { return m_pResizeBar; }
  // The row of the menu and the toolbar (a window of its own in the container's area).
  QWidget* ControlBars() const { return m_pBars.data(); }
  QWindow* Site() const { return m_pSite.get(); }
  QWindow* ToolBarSite() const { return m_pToolBarSite.get(); }
  // The actions of a command in the in-place menus and toolbar.
  std::vector<QAction*> Actions(int nId) const;

  // The container is told of the frame's new size after the resize bar was dragged (in
  // pixels of the display), of the prompt of the command under the pointer (empty when
  // there is none), and of the end of the editing.
  std::function<void(QSize)> m_fnSizeChanged;
  std::function<void(const QString&)> m_fnStatusText;
  std::function<void(bool bUpdated)> m_fnDeactivated;

 protected:
  bool event(QEvent* pEvent) override;
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
  // The drop target: everything dragged over the drawing is refused here, so that it
  // reaches neither the view nor the container below.
  void dragEnterEvent(QDragEnterEvent* pEvent) override;
  void dragMoveEvent(QDragMoveEvent* pEvent) override;
  void dropEvent(QDropEvent* pEvent) override;

 private:
  void BuildControlBars();
  void AddAction(QAction* pAction);
  // Takes the frame and its bars out of the container's windows and gives the view back.
  void Leave();

  CMainFrame* m_pMainFrame;
  CViewWidget* m_pViewWidget = nullptr;
  // In the order of the framework's in-place frame: toolbar, drop target (the frame's own
  // drag handlers), resize bar.
  QToolBar* m_pToolBar = nullptr;
  CResizeBar* m_pResizeBar = nullptr;
  QMenuBar* m_pMenuBar = nullptr;
  QPointer<QWidget> m_pBars;
  std::unique_ptr<QWindow> m_pSite;
  std::unique_ptr<QWindow> m_pToolBarSite;
  std::map<int, std::vector<QAction*>> m_actions;
  bool m_bActive = false;
  bool m_bInSite = false;
  bool m_bDeactivating = false;
};
