#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "resources/PaletteTables.h"

class CBitmapButton;

// A palette of the Draw bar: a small window without caption holding picture buttons, one
// per row of its table. The object exists as long as the Draw bar; its window is created
// the first time the palette opens and from then on only hidden and shown. Pressing one of
// its buttons hides the palette and posts the button's message to the view.
class CPaletteDialog {
 public:
  using Poster = std::function<void(int nMessage)>;

  explicit CPaletteDialog(res::PaletteKind kind);
  CPaletteDialog(const CPaletteDialog&) = delete;
  CPaletteDialog& operator=(const CPaletteDialog&) = delete;
  virtual ~CPaletteDialog();

  // Creates the (hidden) window, owned by pOwner, with every button, its picture and its
  // tooltip in the given language; messages go out through fnPost. False if the window
  // exists already.
  bool Create(QWidget* pOwner, res::Language lang, Poster fnPost);
  bool IsWindow() const { return !m_pWindow.isNull(); }
  QWidget* GetWindow() const { return m_pWindow.data(); }

  res::PaletteKind Kind() const { return m_kind; }
  const res::PaletteTemplate& Template() const { return res::Palette(m_kind); }

  // Moves the window, keeping its size, so that its top-left corner is at ptScreen, and
  // shows it.
  void ShowAt(QPoint ptScreen);
  void Hide();
  bool IsVisible() const;

  // The button with a control identifier, or null.
  CBitmapButton* Button(int nId) const;
  // The buttons, none once the window has gone.
  std::vector<CBitmapButton*> Buttons() const {
    return m_pWindow.isNull() ? std::vector<CBitmapButton*>{} : m_buttons;
  }

  // What pressing a button does: hide, let the index and Greek palettes' pending messages
  // (the repaint after hiding among them) be handled, then post the button's message.
  void OnButton(const res::PaletteButton& button);

 private:
  res::PaletteKind m_kind;
  Poster m_fnPost;
  QPointer<QWidget> m_pWindow;            // the owner deletes it if it goes first
  std::vector<CBitmapButton*> m_buttons;  // children of the window
};
