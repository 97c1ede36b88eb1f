#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "resources/PaletteTables.h"

class CKvillView;
class CMainButton;
class CPaletteDialog;

// What the Draw bar reaches outside itself. The frame that owns it fills these in: the
// view's message queue, the document's and the view's fields it keeps up to date, the
// check mark of the Draw Bar menu item and the window that owns the bar and its palettes.
struct CDrawBarLinks {
  std::function<void(int nMessage)> fnPost;            // posts a message to the view
  std::int32_t* pDrawBarActive = nullptr;              // the view cursor's m_bDrawBarActive
  std::int32_t* pDrawBarPlaced = nullptr;              // the settings' m_bDrawBarPlaced
  std::int32_t* pDrawBarVisible = nullptr;             // the settings' m_bDrawBarVisible
  std::array<std::int32_t, 11>* pPlacement = nullptr;  // m_wpDrawBar
  std::function<void(bool bChecked)> fnCheckMark;      // the Draw Bar menu item
  QWidget* pOwner = nullptr;                           // the main window
  res::Language lang = res::Language::English;
};

// The Draw bar: a small floating window with six picture buttons (Formula, Indexes, Bonds,
// Aromatic and cyclic compounds, Greek small and capital letters); five of them open a
// palette right under the bar. The object and its five palette objects live as long as
// the view; the bar's window is created and destroyed by the Draw Bar command, each
// palette's window when its button is first pressed.
class CDDrawBar {
 public:
  explicit CDDrawBar(CDrawBarLinks links);
  // The links of the bar of a view: messages go to the view's queue, the flags are the
  // view's and its document's; wpDrawBar is where the frame keeps the placement.
  static CDrawBarLinks LinksForView(CKvillView& view, std::array<std::int32_t, 11>& wpDrawBar,
                                    QWidget* pOwner, std::function<void(bool)> fnCheckMark,
                                    res::Language lang);
  CDDrawBar(const CDDrawBar&) = delete;
  CDDrawBar& operator=(const CDDrawBar&) = delete;
  ~CDDrawBar();

  // The window (template 146) and its buttons with pictures and tooltips; clears the
  // view cursor's m_bDrawBarActive. The window is not shown. False if it exists already.
  bool Create();
  void DestroyWindow();
  bool IsWindow() const { return !m_pWindow.isNull(); }
  // While the view is edited in place inside another program's window: the bar's default
  // place is beside that frame rather than over it, and a palette's choice gives the frame
  // the keyboard back with fnActivate, as it activates the main window otherwise. A null
  // frame ends it.
  void SetInPlaceFrame(QWidget* pFrame, std::function<void()> fnActivate = {});
  QWidget* GetWindow() const { return m_pWindow.data(); }

  // The Draw Bar command: shows the bar at its recorded place (or, when that place
  // leaves part of it off the screen, at its default place) or hides it.
  void OnDrawBarCommand();

  // Routines the view calls as well.
  void HidePalettes();
  void ClearLatches();
  void ReleaseButtons();
  // The view's reset of the bar (focus, its own commands, a context menu): ClearLatches,
  // HidePalettes, ReleaseButtons.
  void Reset();
  // Records the window's current placement in m_wpDrawBar, if the window exists.
  void RecordPlacement();
  // Handles every pending event of the thread's queue before going on.
  static void PumpMessages();

  // The buttons' and the window's handlers.
  void OnFormula();
  void OnPaletteButton(res::PaletteKind kind);
  void OnCancel();       // Esc in the bar
  void OnMoved();        // the bar was moved
  void OnKillFocus();    // the bar's window lost the keyboard focus
  void OnFilterEvent();  // any event for the bar or its buttons, before it is handled

  // The window's placement in the eleven integers of the settings record: length, flags,
  // show command, minimized and maximized positions, normal rectangle (screen pixels).
  std::array<std::int32_t, 11> GetWindowPlacement() const;
  void SetWindowPlacement(const std::array<std::int32_t, 11>& wp);
  // The bar's default place: the top-left corner of the owner's client area, which in a
  // main window is the drawing area below its menu bar and toolbar; beside an in-place
  // frame, to its right (its left when the screen ends there).
  QPoint DefaultPosition() const;
  // The placement test: true when the whole client area of the bar lies on a screen.
  bool ClientAreaVisible() const;

  CMainButton* Button(int nId) const;
  CPaletteDialog* Palette(res::PaletteKind kind) const;

  std::int32_t m_bClosed = 0;

 private:
  void Post(int nMessage);
  // Destroys the window if it exists, creates it anew, applies the recorded placement if
  // there is one, and puts the bar back at its default place when the test fails.
  void CreatePlaced();

  CDrawBarLinks m_links;
  // In the order CIndexes, CSymbol1, CSymbol2, CCouple, CAromatic.
  std::array<std::unique_ptr<CPaletteDialog>, res::kPaletteCount> m_palettes;
  // The owner deletes the window if it goes first, hence the guarded pointer.
  QPointer<QWidget> m_pWindow;
  QPointer<QWidget> m_pInPlaceFrame;
  std::function<void()> m_fnActivateInPlace;
  std::array<CMainButton*, 6> m_buttons{};  // children of the window
};
