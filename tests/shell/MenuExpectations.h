#pragma once

// The menus of sets 128 and 5 as the user must see them, written out item by item, one
// line per item: "Popup" for a submenu title, "  text = id" for a command (two more
// spaces per level), "  ---" for a separator. Both the resource tables and the menu bar
// the main frame builds from them are checked against these lines.
#include <string>
#include <vector>

namespace expect {

inline const std::vector<std::string> kEnglish128 = {
    "&File",
    "  &New\tCtrl+N = 57600",
    "  &Open...\tCtrl+O = 32886",
    "  &Save\tCtrl+S = 32887",
    "  Save &As... = 32888",
    "  &Export Picture... = 32894",
    "  Export S&tructure... = 32895",
    "  ---",
    "  &Print...\tCtrl+P = 57607",
    "  Print Pre&view = 57609",
    "  P&rint Setup... = 57606",
    "  ---",
    "  Recent File = 57616",
    "  ---",
    "  E&xit = 57665",
    "&Edit",
    "  &Undo\tCtrl+Z = 57643",
    "  &Redo\tCtrl+R = 32796",
    "  ---",
    "  Zoom In\tCtrl++ = 32800",
    "  Zoom Out\tCtrl+- = 32801",
    "  Default Zoom\tCtrl+* = 32804",
    "  ---",
    "  Select &All\tCtrl+A = 32842",
    "  Cu&t\tCtrl+X = 57635",
    "  &Copy\tCtrl+E = 57634",
    "  Copy &Selection\tCtrl+C = 32794",
    "  Copy As S&MILES = 32896",
    "  Cop&y As InChI = 32897",
    "  &Paste\tCtrl+V = 57637",
    "  &Delete\tDel = 32787",
    "  ---",
    "  Bring &Front = 32849",
    "  Bring &Back = 32850",
    "  ---",
    "  &Group = 32797",
    "  U&ngroup = 32798",
    "  ---",
    "  Vert&ical Mirror = 32840",
    "  &Horizontal Mirror = 32839",
    "  ---",
    "  Chec&k Structure = 32898",
    "  C&lean Structure = 32899",
    "&View",
    "  &Toolbar = 59392",
    "  &Status Bar = 59393",
    "  &Draw Bar = 32779",
    "  ---",
    "  Zoom to &Fit\tCtrl+Shift+F = 32900",
    "  Drawing &Aids",
    "    &Standard Bonds = 32901",
    "    &Click Adds a Bond = 32902",
    "    &Fuse Rings = 32903",
    "    &Keep Tools = 32904",
    "    &Type Labels on Atoms = 32905",
    "&Help",
    "  &About Valendra... = 57664",
    "  &Language",
    "    &Ceština = 32892",
    "    &English = 32893",
};

inline const std::vector<std::string> kCzech128 = {
    "&Soubor",
    "  &Nový\tCtrl+N = 57600",
    "  &Otevřít...\tCtrl+O = 32886",
    "  &Uložit\tCtrl+S = 32887",
    "  Uložit j&ako... = 32888",
    "  &Exportovat obrázek... = 32894",
    "  Exportovat st&rukturu... = 32895",
    "  ---",
    "  &Tisk...\tCtrl+P = 57607",
    "  Náhl&ed tisku = 57609",
    "  T&isková nastavení... = 57606",
    "  ---",
    "  Recent File = 57616",
    "  ---",
    "  U&končit = 57665",
    "&Upravit",
    "  &Zpět\tCtrl+Z = 57643",
    "  &Dopředu\tCtrl+R = 32796",
    "  ---",
    "  Zvětšit\tCtrl++ = 32800",
    "  Zmenšit\tCtrl+- = 32801",
    "  Výchozí zvětšení\tCtrl+* = 32804",
    "  ---",
    "  Vybr&at vše\tCtrl+A = 32842",
    "  Vyjmou&t\tCtrl+X = 57635",
    "  &Kopírovat\tCtrl+E = 57634",
    "  K&opírovat výběr\tCtrl+C = 32794",
    "  Kopírovat jako S&MILES = 32896",
    "  Kopírovat jako &InChI = 32897",
    "  &Vložit\tCtrl+V = 57637",
    "  &Smazat\tDel = 32787",
    "  ---",
    "  Přenést do&předu = 32849",
    "  Pře&nést dozadu = 32850",
    "  ---",
    "  S&eskupit = 32797",
    "  &Rozdělit = 32798",
    "  ---",
    "  Svislé zrcad&lení = 32840",
    "  V&odorovné zrcadlení = 32839",
    "  ---",
    "  Zkontrolovat str&ukturu = 32898",
    "  V&yčistit strukturu = 32899",
    "&Zobrazit",
    "  &Nástroje = 59392",
    "  &Stavový řádek = 59393",
    "  &Kreslení = 32779",
    "  ---",
    "  &Přizpůsobit oknu\tCtrl+Shift+F = 32900",
    "  P&omůcky pro kreslení",
    "    &Standardní vazby = 32901",
    "    &Vazba kliknutím = 32902",
    "    &Přikládání kruhů = 32903",
    "    Po&nechat nástroj = 32904",
    "    Psaní &značek na atomy = 32905",
    "&Nápověda",
    "  &O aplikaci Valendra... = 57664",
    "  &Jazyk aplikace / Language",
    "    &Čeština = 32892",
    "    &English = 32893",
};

// Set 5 keeps the Edit and View menus of set 128; File and Help differ.
inline std::vector<std::string> Embedded(const std::vector<std::string>& main128,
                                         const std::vector<std::string>& file,
                                         const std::vector<std::string>& help) {
  // The lines of the top-level menus between the first (File) and the last (Help).
  std::vector<std::string> out = file;
  int nTop = -1;
  for (const std::string& line : main128) {
    if (line[0] != ' ') ++nTop;
    if (nTop == 1 || nTop == 2) out.push_back(line);
  }
  out.insert(out.end(), help.begin(), help.end());
  return out;
}

inline const std::vector<std::string> kEnglishFile5 = {
    "&File",
    "  &Update\tCtrl+S = 57610",
    "  Save Copy &As... = 57611",
    "  &Export Picture... = 32894",
    "  Export S&tructure... = 32895",
    "  ---",
    "  &Print...\tCtrl+P = 57607",
    "  Print Pre&view = 57609",
    "  P&rint Setup... = 57606",
    "  ---",
    "  E&xit = 57665",
};
inline const std::vector<std::string> kEnglishHelp5 = {"&Help", "  &About Valendra... = 57664"};

inline const std::vector<std::string> kCzechFile5 = {
    "&Soubor",
    "  &Aktualizovat\tCtrl+S = 57610",
    "  Uložit &kopii jako... = 57611",
    "  &Exportovat obrázek... = 32894",
    "  Exportovat st&rukturu... = 32895",
    "  ---",
    "  &Tisk...\tCtrl+P = 57607",
    "  Náhl&ed tisku = 57609",
    "  T&isková nastavení... = 57606",
    "  ---",
    "  &Ukončit = 57665",
};
inline const std::vector<std::string> kCzechHelp5 = {"&Nápověda",
                                                     "  &O aplikaci Valendra... = 57664"};

}  // namespace expect
