// The resource tables: menus item by item, accelerators key by key, toolbars in order,
// prompts and tooltips, and the numbered strings, in both languages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/CommandIds.h"
#include "resources/Resources.h"
#include "tests/shell/MenuExpectations.h"

namespace {

using res::Language;

void Flatten(std::span<const res::MenuItem> items, int nDepth, std::vector<std::string>& out) {
  const std::string indent(2 * nDepth, ' ');
  for (const res::MenuItem& item : items) {
    switch (item.kind) {
      case res::MenuItemKind::Separator:
        out.push_back(indent + "---");
        break;
      case res::MenuItemKind::Command:
        out.push_back(indent + item.text + " = " + std::to_string(item.id));
        break;
      case res::MenuItemKind::Popup:
        out.push_back(indent + item.text);
        Flatten(item.items, nDepth + 1, out);
        break;
    }
  }
}

std::vector<std::string> Lines(int nSet, Language lang) {
  std::vector<std::string> out;
  Flatten(res::MenuBar(nSet, lang), 0, out);
  return out;
}

std::vector<int> Buttons(int nSet) {
  std::vector<int> ids;
  for (const res::ToolButton& b : res::ToolBar(nSet)) ids.push_back(b.id);
  return ids;
}

}  // namespace

TEST(ResourceMenus, MainAndEmbeddedMenusInBothLanguages) {
  EXPECT_EQ(Lines(128, Language::English), expect::kEnglish128);
  EXPECT_EQ(Lines(128, Language::Czech), expect::kCzech128);
  EXPECT_EQ(Lines(5, Language::English),
            expect::Embedded(expect::kEnglish128, expect::kEnglishFile5, expect::kEnglishHelp5));
  EXPECT_EQ(Lines(5, Language::Czech),
            expect::Embedded(expect::kCzech128, expect::kCzechFile5, expect::kCzechHelp5));
}

TEST(ResourceMenus, InPlaceMenuExistsOnlyInEnglish) {
  const std::vector<std::string> expected = {
      "&Edit",
      "  &Undo\tCtrl+Z = 57643",
      "  ---",
      "  Cu&t\tCtrl+X = 57635",
      "  &Copy\tCtrl+C = 57634",
      "  &Paste\tCtrl+V = 57637",
      "&View",
      "  &Toolbar = 59392",
      "  &Draw bar = 32779",
      "---",
      "---",
      "&Help",
      "  &About Valendra... = 57664",
  };
  EXPECT_EQ(Lines(4, Language::English), expected);
  EXPECT_EQ(Lines(4, Language::Czech), expected);
  EXPECT_TRUE(res::MenuBar(3, Language::English).empty());
}

TEST(ResourceMenus, PrintPreviewItemTellsTheMenuLanguage) {
  // The program decides the language of its messages from the first letter of this item.
  auto previewText = [](Language lang) {
    for (const auto& line : Lines(128, lang)) {
      if (line.ends_with(" = 57609")) return line.substr(2);
    }
    return std::string();
  };
  EXPECT_EQ(previewText(Language::English).front(), 'P');
  EXPECT_EQ(previewText(Language::Czech), "Náhl&ed tisku = 57609");
}

TEST(ResourceAccelerators, MainSetMapsKeysToCommands) {
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  const Qt::KeyboardModifiers alt = Qt::AltModifier;
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    int id;
  };
  const Case cases[] = {
      {Qt::Key_A, ctrl, 32842},           {Qt::Key_C, ctrl, 32794},
      {Qt::Key_E, ctrl, 57634},           {Qt::Key_N, ctrl, 57600},
      {Qt::Key_O, ctrl, 57601},           {Qt::Key_P, ctrl, 57607},
      {Qt::Key_R, ctrl, 32796},           {Qt::Key_S, ctrl, 57603},
      {Qt::Key_V, ctrl, 57637},           {Qt::Key_Plus, ctrl | pad, 32800},
      {Qt::Key_Minus, ctrl | pad, 32801}, {Qt::Key_Asterisk, ctrl | pad, 32804},
      {Qt::Key_Backspace, alt, 57643},    {Qt::Key_Z, ctrl, 57643},
      {Qt::Key_Control, ctrl, 32843},     {Qt::Key_Control, none, 32843},
      {Qt::Key_Delete, none, 32787},      {Qt::Key_Delete, pad, 32787},
      {Qt::Key_Delete, shift, 57635},     {Qt::Key_X, ctrl, 57635},
      {Qt::Key_Insert, ctrl, 57634},      {Qt::Key_Insert, shift, 57637},
      {Qt::Key_Left, none, 32813},        {Qt::Key_Right, none, 32814},
      {Qt::Key_Up, none, 32815},          {Qt::Key_Down, pad, 32816},
      {Qt::Key_Left, ctrl, 32817},        {Qt::Key_Right, ctrl, 32818},
      {Qt::Key_Up, ctrl, 32819},          {Qt::Key_Down, ctrl, 32820},
      {Qt::Key_Escape, none, 32846},      {Qt::Key_F6, none, 57680},
      {Qt::Key_F6, shift, 57681},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(res::TranslateAccelerator(128, c.key, c.mods), c.id) << "key " << c.key;
  }
  // The keypad's zoom keys come first; the main keyboard's are aliases (below).
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_Asterisk, ctrl), 0);
  // Modifiers must match exactly.
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_A, none), 0);
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_S, ctrl | shift), 0);
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_Z, ctrl | alt), 0);
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_Left, shift), 0);
  // The Meta key is not part of any accelerator and does not stop one.
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_Z, ctrl | Qt::MetaModifier), 57643);
}

TEST(ResourceAccelerators, SecondEscapeEntryNeverTakesEffect) {
  const auto table = res::Accelerators(128);
  int nEscapes = 0;
  for (const auto& a : table) nEscapes += a.key == Qt::Key_Escape;
  EXPECT_EQ(nEscapes, 2);
  EXPECT_EQ(res::TranslateAccelerator(128, Qt::Key_Escape, Qt::NoModifier), cmd::kEscape);
  EXPECT_EQ(res::TranslateAccelerator(5, Qt::Key_Escape, Qt::NoModifier), cmd::kEscape);
}

TEST(ResourceAccelerators, EmbeddedSetHasNoNewOrOpenAndUpdatesOnCtrlS) {
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  EXPECT_EQ(res::TranslateAccelerator(5, Qt::Key_N, ctrl), 0);
  EXPECT_EQ(res::TranslateAccelerator(5, Qt::Key_O, ctrl), 0);
  EXPECT_EQ(res::TranslateAccelerator(5, Qt::Key_S, ctrl), 57610);
  // Everything else is as in the main set.
  EXPECT_EQ(res::Accelerators(5).size() + 2, res::Accelerators(128).size());
  for (const auto& a : res::Accelerators(128)) {
    if (a.id == 57600 || a.id == 57601 || a.id == 57603) continue;
    const Qt::KeyboardModifiers mods = a.keypad ? a.modifiers | Qt::KeypadModifier : a.modifiers;
    EXPECT_EQ(res::TranslateAccelerator(5, a.key, mods),
              res::TranslateAccelerator(128, a.key, mods));
  }
}

TEST(ResourceAccelerators, InPlaceSet) {
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Z, ctrl), 57643);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Backspace, Qt::AltModifier), 57643);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_X, ctrl), 57635);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Delete, shift), 57635);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_C, ctrl), 57634);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Insert, ctrl), 57634);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_V, ctrl), 57637);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Insert, shift), 57637);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Escape, Qt::NoModifier), 32769);
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_A, ctrl), 0);
  EXPECT_EQ(res::Accelerators(4).size(), 9u);
}

TEST(ResourceToolBars, ButtonsInOrderWithGaps) {
  const std::vector<int> common = {57635, 32794, 57637, 57643, 32796, 0,     32800, 32801,
                                   32804, 0,     32840, 32839, 0,     57607, 57664};
  std::vector<int> t128 = {57600, 32886, 32887, 0};
  t128.insert(t128.end(), common.begin(), common.end());
  std::vector<int> t5 = {57610, 57611, 0};
  t5.insert(t5.end(), common.begin(), common.end());
  EXPECT_EQ(Buttons(128), t128);
  EXPECT_EQ(Buttons(5), t5);
  EXPECT_EQ(Buttons(4), (std::vector<int>{57635, 57634, 57637, 0, 57664}));
}

TEST(ResourcePrompts, PromptsAndTooltipsInBothLanguages) {
  EXPECT_STREQ(res::PromptString(57600, Language::English), "Create a new document\nNew");
  EXPECT_STREQ(res::PromptString(57600, Language::Czech), "Nový dokument\nNový");
  EXPECT_STREQ(res::PromptString(32888, Language::Czech), "Uložit pod novým názvem");
  EXPECT_STREQ(res::PromptString(57610, Language::Czech),
               "Aktualizovat schránku a uložit změny\nAktualizovat");
  EXPECT_STREQ(res::PromptString(57609, Language::English), "Display full pages\nPrint Preview");
  EXPECT_STREQ(res::PromptString(59392, Language::English),
               "Show or hide the toolba\nToggle ToolBar");
  EXPECT_STREQ(res::PromptString(32779, Language::Czech), "Zobrazit / skrýt Kreslení");
  EXPECT_STREQ(res::PromptString(57619, Language::English), "Open this document");
  EXPECT_STREQ(res::PromptString(57616, Language::Czech), "Otevřít dokument");
  EXPECT_STREQ(res::PromptString(57664, Language::Czech),
               "Zobrazit základní informace\nO aplikaci");
  EXPECT_TRUE(std::string(res::PromptString(57664, Language::English)).ends_with("\nAbout"));
  EXPECT_EQ(res::PromptString(12345, Language::English), nullptr);
  // Export Picture: its prompt, then the tooltip that also titles its dialog.
  EXPECT_STREQ(res::PromptString(32894, Language::English),
               "Export the drawing as an SVG, PNG or PDF picture\nExport Picture");
  EXPECT_STREQ(res::PromptString(32894, Language::Czech),
               "Exportovat kresbu jako obrázek SVG, PNG nebo PDF\nExportovat obrázek");

  // Every command on a toolbar has a prompt in both languages, and every English one has
  // a tooltip.
  for (int nSet : {128, 5, 4}) {
    for (const res::ToolButton& b : res::ToolBar(nSet)) {
      if (b.id == 0) continue;
      for (Language lang : {Language::English, Language::Czech}) {
        ASSERT_NE(res::PromptString(b.id, lang), nullptr) << b.id;
      }
      EXPECT_NE(std::string(res::PromptString(b.id, Language::English)).find('\n'),
                std::string::npos)
          << b.id;
    }
  }
}

TEST(ResourceStrings, NumberedStringsAndMessages) {
  EXPECT_STREQ(res::LoadString(57345, Language::English), "Ready");
  EXPECT_STREQ(res::LoadString(57345, Language::Czech), "Připraven");
  EXPECT_STREQ(res::LoadString(57344, Language::Czech), "Valendra");
  EXPECT_STREQ(res::LoadString(59137, Language::English), "CAP");
  EXPECT_STREQ(res::LoadString(59138, Language::Czech), "NUM");
  EXPECT_STREQ(res::LoadString(59139, Language::Czech), "SCRL");
  EXPECT_STREQ(res::LoadString(128, Language::English),
               "Valendra\nnoname\nValendra Document\nValendra Files (*.vld)\n.vld\n"
               "Valendra.Document\nValendra Document\nVLDR\nValendra Files");
  EXPECT_STREQ(res::LoadString(128, Language::Czech),
               "Valendra\nBez názvu\nValendra Document\nValendra Files (*.vld)\n.vld\n"
               "Valendra.Document\nValendra Document\nVLDR\nValendra Files");
  // A string that exists only in English is shown in English.
  EXPECT_STREQ(res::LoadString(100, Language::Czech), res::LoadString(100, Language::English));
  EXPECT_EQ(res::LoadString(4242, Language::Czech), nullptr);

  const res::MessageTexts& en = res::Messages(Language::English);
  const res::MessageTexts& cs = res::Messages(Language::Czech);
  EXPECT_STREQ(en.notFound, "%s was not found.");
  EXPECT_STREQ(cs.notFound, "%s nebyl nalezen.");
  EXPECT_STREQ(en.openCaption, "Open");
  EXPECT_STREQ(cs.openCaption, "Otevřít soubor");
  EXPECT_STREQ(cs.dialogNotFound,
               "%s\nSoubor nenalezen.\nOvěřte, zda je zadán správný název souboru.");
  EXPECT_STREQ(en.saveChangesTo, "Save changes to %s?");
  EXPECT_STREQ(cs.saveChangesTo, "Uložit změny do %s?");
  EXPECT_STREQ(cs.openFilter,
               "Valendra dokumenty (*.vld)|*.vld|Kvill dokumenty (*.kvl)|*.kvl|"
               "Chemické struktury (*.mol;*.sdf;*.smi;*.smiles;*.rxn;*.cdxml)|"
               "*.mol *.sdf *.smi *.smiles *.rxn *.cdxml|Všechny soubory (*.*)|*.*|");
  EXPECT_STREQ(cs.notStructure, "Chyba: Nejde o soubor chemické struktury.\n%1");
  EXPECT_STREQ(en.notStructure, "Error: Not a chemical structure file.\n%1");
  EXPECT_STREQ(en.aboutCaption, "About Valendra");
  EXPECT_STREQ(cs.aboutCaption, "O aplikaci Valendra");
  EXPECT_STREQ(cs.errorCaption, "Chyba Valendra");
  EXPECT_STREQ(cs.embeddedTitle, "Valendra dokument");
  EXPECT_FALSE(res::AboutLines(Language::Czech).empty());
  // The texts of Export Picture and of the progress of long work.
  EXPECT_STREQ(cs.exportFilter,
               "Obrázky SVG (*.svg)|*.svg|Obrázky PNG (*.png)|*.png|Dokumenty PDF (*.pdf)|*.pdf|");
  EXPECT_STREQ(en.exportFailed, "%1 could not be exported.\n%2");
  EXPECT_STREQ(cs.exportFailed, "Obrázek %1 nelze exportovat.\n%2");
  EXPECT_STREQ(en.progressExporting, "Exporting %1...");
  EXPECT_STREQ(cs.progressOpening, "Otevírání souboru %1...");
  EXPECT_STREQ(cs.cancel, "Zrušit");
}

// The keys other Linux programs use, in both window sets, where they mean nothing else.
TEST(ResourceAccelerators, LinuxAliasesForRedoAndZoom) {
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  for (int nSet : {128, 5}) {
    SCOPED_TRACE(nSet);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Y, ctrl), cmd::kEditRedo);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Z, ctrl | shift), cmd::kEditRedo);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Plus, ctrl), cmd::kZoomIn);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Plus, ctrl | shift), cmd::kZoomIn);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Equal, ctrl), cmd::kZoomIn);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Minus, ctrl), cmd::kZoomOut);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_0, ctrl), cmd::kZoomDefault);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_F, ctrl | shift), cmd::kZoomToFit);
    // Ctrl+Z stays Undo; the keypad's keys are unchanged.
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Z, ctrl), cmd::kEditUndo);
    EXPECT_EQ(res::TranslateAccelerator(nSet, Qt::Key_Minus, ctrl | Qt::KeypadModifier),
              cmd::kZoomOut);
  }
  // No alias shadows a key of the table: each key and modifier set has one entry only.
  const auto table = res::Accelerators(128);
  for (std::size_t i = 0; i < table.size(); ++i) {
    for (std::size_t j = i + 1; j < table.size(); ++j) {
      if (table[i].id == cmd::kEscapeShadowed || table[j].id == cmd::kEscapeShadowed) continue;
      const bool bSame = table[i].key == table[j].key && table[i].modifiers == table[j].modifiers &&
                         table[i].keypad == table[j].keypad;
      EXPECT_FALSE(bSame) << "entries " << i << " and " << j;
    }
  }
  // In place the container's keys come first: no aliases there.
  EXPECT_EQ(res::TranslateAccelerator(4, Qt::Key_Y, ctrl), 0);
}

TEST(ResourceMenus, ContextMenusInBothLanguages) {
  const auto lines = [](int nId, Language lang) {
    std::vector<std::string> out;
    const res::MenuItem* pPopup = res::ContextMenu(nId, lang);
    if (pPopup != nullptr) Flatten(pPopup->items, 0, out);
    return out;
  };
  const std::vector<std::string> thicknessEn = {
      "&Thickness",      "  0.1x = 32881", "  0.2x = 32880", "  0.5x = 32879",
      "  0.75x = 32878", "  1x = 32823",   "  1.5x = 32824", "  2x = 32825",
      "  3x = 32826",    "  4x = 32827",   "  5x = 32828",   "  Cu&stom = 32837",
  };
  const std::vector<std::string> head = {"Cu&t = 32782", "&Copy = 32783", "&Delete = 32787", "---"};
  const std::vector<std::string> tail = {"---", "Bring &Front = 32849", "Bring &Back = 32850"};
  const auto join = [&](std::vector<std::string> middle) {
    std::vector<std::string> out = head;
    out.insert(out.end(), middle.begin(), middle.end());
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
  };
  EXPECT_EQ(lines(298, Language::English), join({"&Group = 32780"}));
  EXPECT_EQ(lines(300, Language::English),
            join({"&Ungroup = 32784", "---", "&Rotate = 32812", "&Lock Aspect Ratio = 32871",
                  "Change Co&lor = 32821"}));
  std::vector<std::string> bond = {"&Swap = 32789", "Change Co&lor = 32821"};
  bond.insert(bond.end(), thicknessEn.begin(), thicknessEn.end());
  EXPECT_EQ(lines(302, Language::English), join(bond));
  EXPECT_EQ(lines(303, Language::English), join({"&Edit = 32791", "Change Co&lor = 32821"}));
  // The junction's menu has no middle group, so one separator only.
  EXPECT_EQ(lines(304, Language::English),
            (std::vector<std::string>{"Cu&t = 32782", "&Copy = 32783", "&Delete = 32787", "---",
                                      "Bring &Front = 32849", "Bring &Back = 32850"}));
  EXPECT_EQ(lines(335, Language::English), (std::vector<std::string>{"&Paste = 32795"}));
  std::vector<std::string> shape = {"&Lock Aspect Ratio = 32871", "Change Co&lor = 32821"};
  shape.insert(shape.end(), thicknessEn.begin(), thicknessEn.end());
  EXPECT_EQ(lines(336, Language::English), join(shape));
  EXPECT_EQ(lines(337, Language::English), join(shape));

  // Czech: the same commands in the same order, with their own texts.
  const std::vector<std::string> bondCz = {
      "Vyjmou&t = 32782",
      "&Kopírovat = 32783",
      "&Smazat = 32787",
      "---",
      "&Přehodit = 32789",
      "Změnit &barvu = 32821",
      "&Tloušťka čáry",
      "  0.1x = 32881",
      "  0.2x = 32880",
      "  0.5x = 32879",
      "  0.75x = 32878",
      "  1x = 32823",
      "  1.5x = 32824",
      "  2x = 32825",
      "  3x = 32826",
      "  4x = 32827",
      "  5x = 32828",
      "  &Vlastní = 32837",
      "---",
      "Přenést do&předu = 32849",
      "Přenést d&ozadu = 32850",
  };
  EXPECT_EQ(lines(302, Language::Czech), bondCz);
  EXPECT_EQ(lines(300, Language::Czech)[4], "&Rozdělit = 32784");
  EXPECT_EQ(lines(300, Language::Czech)[6], "&Otočit = 32812");
  EXPECT_EQ(lines(300, Language::Czech)[7], "&Zamknout poměr stran = 32871");
  EXPECT_EQ(lines(298, Language::Czech)[4], "S&eskupit = 32780");
  EXPECT_EQ(lines(303, Language::Czech)[4], "&Upravit = 32791");
  EXPECT_EQ(lines(335, Language::Czech), (std::vector<std::string>{"&Vložit = 32795"}));
  for (int nId : {298, 300, 302, 303, 304, 335, 336, 337}) {
    EXPECT_EQ(lines(nId, Language::Czech).size(), lines(nId, Language::English).size()) << nId;
  }
  EXPECT_EQ(res::ContextMenu(299, Language::English), nullptr);
  EXPECT_EQ(res::ContextMenu(128, Language::Czech), nullptr);
}
