#include "shell/CommandActions.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include "shell/ToolBarIcons.h"

std::pair<QString, QString> SplitPrompt(const char* pszPrompt) {
  if (pszPrompt == nullptr) return {};
  const QString s = QString::fromUtf8(pszPrompt);
  const qsizetype nl = s.indexOf(QLatin1Char('\n'));
  if (nl < 0) return {s, QString()};
  return {s.left(nl), s.mid(nl + 1)};
}

void AddMenuItems(QMenu* pMenu, std::span<const res::MenuItem> items, res::Language lang,
                  const std::function<void(QMenu*, QAction*)>& fnAdded) {
  for (const res::MenuItem& item : items) {
    switch (item.kind) {
      case res::MenuItemKind::Separator:
        pMenu->addSeparator();
        break;
      case res::MenuItemKind::Popup:
        AddMenuItems(pMenu->addMenu(QString::fromUtf8(item.text)), item.items, lang, fnAdded);
        break;
      case res::MenuItemKind::Command: {
        QAction* a = pMenu->addAction(QString::fromUtf8(item.text));
        a->setData(item.id);
        a->setStatusTip(SplitPrompt(res::PromptString(item.id, lang)).first);
        fnAdded(pMenu, a);
        break;
      }
    }
  }
}

void AddToolButtons(QToolBar* pBar, int nSet, res::Language lang,
                    const std::function<void(QAction*)>& fnAdded) {
  pBar->setIconSize(QSize(16, 15));
  for (const res::ToolButton& b : res::ToolBar(nSet)) {
    if (b.id == 0) {
      pBar->addSeparator();
      continue;
    }
    const auto [prompt, tip] = SplitPrompt(res::PromptString(b.id, lang));
    QAction* a = pBar->addAction(ToolBarIcon(b.id), tip);
    a->setToolTip(tip);
    a->setStatusTip(prompt);
    a->setData(b.id);
    fnAdded(a);
  }
}
