// The Czech resource tables.
#include "resources/CommandIds.h"
#include "resources/ResourceTables.h"

namespace res::detail {
namespace {

constexpr MenuItem kFile128[] = {
    Cmd("&Nový\tCtrl+N", cmd::kFileNew),
    Cmd("&Otevřít...\tCtrl+O", cmd::kFileOpen),
    Cmd("&Uložit\tCtrl+S", cmd::kFileSave),
    Cmd("Uložit j&ako...", cmd::kFileSaveAs),
    Cmd("&Exportovat obrázek...", cmd::kFileExportPicture),
    Cmd("Exportovat st&rukturu...", cmd::kFileExportStructure),
    Sep(),
    Cmd("&Tisk...\tCtrl+P", cmd::kFilePrint),
    Cmd("Náhl&ed tisku", cmd::kFilePrintPreview),
    Cmd("T&isková nastavení...", cmd::kFilePrintSetup),
    Sep(),
    Cmd("Recent File", cmd::kFileMru1),
    Sep(),
    Cmd("U&končit", cmd::kAppExit),
};

constexpr MenuItem kFile5[] = {
    Cmd("&Aktualizovat\tCtrl+S", cmd::kFileUpdate),
    Cmd("Uložit &kopii jako...", cmd::kFileSaveCopyAs),
    Cmd("&Exportovat obrázek...", cmd::kFileExportPicture),
    Cmd("Exportovat st&rukturu...", cmd::kFileExportStructure),
    Sep(),
    Cmd("&Tisk...\tCtrl+P", cmd::kFilePrint),
    Cmd("Náhl&ed tisku", cmd::kFilePrintPreview),
    Cmd("T&isková nastavení...", cmd::kFilePrintSetup),
    Sep(),
    Cmd("&Ukončit", cmd::kAppExit),
};

constexpr MenuItem kEdit[] = {
    Cmd("&Zpět\tCtrl+Z", cmd::kEditUndo),
    Cmd("&Dopředu\tCtrl+R", cmd::kEditRedo),
    Sep(),
    Cmd("Zvětšit\tCtrl++", cmd::kZoomIn),
    Cmd("Zmenšit\tCtrl+-", cmd::kZoomOut),
    Cmd("Výchozí zvětšení\tCtrl+*", cmd::kZoomDefault),
    Sep(),
    Cmd("Vybr&at vše\tCtrl+A", cmd::kSelectAll),
    Cmd("Vyjmou&t\tCtrl+X", cmd::kEditCut),
    Cmd("&Kopírovat\tCtrl+E", cmd::kEditCopy),
    Cmd("K&opírovat výběr\tCtrl+C", cmd::kEditCopySelection),
    Cmd("Kopírovat jako S&MILES", cmd::kEditCopyAsSmiles),
    Cmd("Kopírovat jako &InChI", cmd::kEditCopyAsInchi),
    Cmd("&Vložit\tCtrl+V", cmd::kEditPaste),
    Cmd("&Smazat\tDel", cmd::kEditDelete),
    Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront),
    Cmd("Pře&nést dozadu", cmd::kBringBack),
    Sep(),
    Cmd("S&eskupit", cmd::kGroup),
    Cmd("&Rozdělit", cmd::kUngroup),
    Sep(),
    Cmd("Svislé zrcad&lení", cmd::kMirrorVertical),
    Cmd("V&odorovné zrcadlení", cmd::kMirrorHorizontal),
    Sep(),
    Cmd("Zkontrolovat str&ukturu", cmd::kEditCheckStructure),
    Cmd("V&yčistit strukturu", cmd::kEditCleanStructure),
};

constexpr MenuItem kDrawingAidItems[] = {
    Cmd("&Standardní vazby", cmd::kAidStandardBonds),
    Cmd("&Vazba kliknutím", cmd::kAidClickAddsBond),
    Cmd("&Přikládání kruhů", cmd::kAidFuseRings),
    Cmd("Po&nechat nástroj", cmd::kAidKeepTools),
    Cmd("Psaní &značek na atomy", cmd::kAidTypingMakesLabels),
};

constexpr MenuItem kView[] = {
    Cmd("&Nástroje", cmd::kViewToolbar),
    Cmd("&Stavový řádek", cmd::kViewStatusBar),
    Cmd("&Kreslení", cmd::kViewDrawBar),
    Sep(),
    Cmd("&Přizpůsobit oknu\tCtrl+Shift+F", cmd::kZoomToFit),
    Popup("P&omůcky pro kreslení", kDrawingAidItems),
};

constexpr MenuItem kLanguageItems[] = {
    Cmd("&Čeština", cmd::kLanguageCzech),
    Cmd("&English", cmd::kLanguageEnglish),
};

constexpr MenuItem kHelp128[] = {
    Cmd("&O aplikaci Valendra...", cmd::kAppAbout),
    Popup("&Jazyk aplikace / Language", kLanguageItems),
};

constexpr MenuItem kHelp5[] = {
    Cmd("&O aplikaci Valendra...", cmd::kAppAbout),
};

constexpr MenuItem kMenu128[] = {
    Popup("&Soubor", kFile128),
    Popup("&Upravit", kEdit),
    Popup("&Zobrazit", kView),
    Popup("&Nápověda", kHelp128),
};

constexpr MenuItem kMenu5[] = {
    Popup("&Soubor", kFile5),
    Popup("&Upravit", kEdit),
    Popup("&Zobrazit", kView),
    Popup("&Nápověda", kHelp5),
};

constexpr NumberedString kPrompts[] = {
    {cmd::kFileNew, "Nový dokument\nNový"},
    {cmd::kFileOpen, "Otevřít existující dokument\nOtevřít"},
    {cmd::kFileSave, "Uložit dokument\nUložit"},
    {cmd::kFileSaveAs, "Uložit pod novým názvem"},
    {cmd::kFilePrint, "Vytisknout dokument\nTisk"},
    // The print preview prompt says what the command does, not what Update does.
    {cmd::kFilePrintPreview, "Zobrazit celé stránky\nNáhled tisku"},
    {cmd::kFilePrintSetup, "Změnit nastavení tiskárny"},
    {cmd::kFileUpdate, "Aktualizovat schránku a uložit změny\nAktualizovat"},
    {cmd::kFileSaveCopyAs, "Uložit kopii aktivního dokumentu s novým názvem\nUložit kopii"},
    {cmd::kFileExportPicture,
     "Exportovat kresbu jako obrázek SVG, PNG nebo PDF\nExportovat obrázek"},
    {cmd::kFileExportStructure,
     "Exportovat molekuly kresby jako MOL, SDF, SMILES, InChI nebo RXN\nExportovat strukturu"},
    {cmd::kEditCopyAsSmiles,
     "Kopírovat vybrané molekuly, nebo všechny, jako text SMILES\nKopírovat jako SMILES"},
    {cmd::kEditCopyAsInchi,
     "Kopírovat vybrané molekuly, nebo všechny, jako text InChI\nKopírovat jako InChI"},
    {cmd::kEditCheckStructure,
     "Označit atomy s chybnou vazností nebo nesrozumitelným popisem\nZkontrolovat strukturu"},
    {cmd::kEditCleanStructure,
     "Nakreslit vybrané molekuly znovu s novými souřadnicemi\nVyčistit strukturu"},
    {cmd::kFileMru1, "Otevřít dokument"},
    {cmd::kFileMru1 + 1, "Otevřít dokument"},
    {cmd::kFileMru1 + 2, "Otevřít dokument"},
    {cmd::kFileMru4, "Otevřít dokument"},
    {cmd::kAppExit, "Ukončit aplikaci"},
    {cmd::kEditUndo, "Vrátit zpět\nVrátit zpět"},
    {cmd::kEditRedo, "Krok dopředu\nKrok dopředu"},
    {cmd::kZoomIn, "Zvětšení\nZvětšit"},
    {cmd::kZoomOut, "Zmenšení\nZmenšit"},
    {cmd::kZoomDefault, "Výchozí zvětšení\nVýchozí zvětšení"},
    {cmd::kSelectAll, "Vybrat všechny objekty\nVybrat vše"},
    {cmd::kEditCut, "Vyjmout vybrané a vložit do schránky\nVyjmout"},
    {cmd::kEditCopy, "Kopírovat vše do schránky\nKopírovat"},
    {cmd::kEditCopySelection, "Kopírovat výběr\nKopírovat výběr"},
    {cmd::kEditPaste, "Vložit ze schránky\nVložit"},
    {cmd::kEditDelete, "Smazat vybrané"},
    {cmd::kBringFront, "Přenést vybrané objekty dopředu"},
    {cmd::kBringBack, "Přenést vybrané objekty dozadu"},
    {cmd::kGroup, "Seskupit vybrané objekty"},
    {cmd::kUngroup, "Rozdělit objekt"},
    {cmd::kMirrorVertical, "Svislé zrcadlení\nSvislé zrcadlení"},
    {cmd::kMirrorHorizontal, "Vodorovné zrcadlení\nVodorovné zrcadlení"},
    {cmd::kViewToolbar, "Zobrazit / skrýt základní nástroje"},
    {cmd::kViewStatusBar, "Zobrazit / skrýt stavový řádek"},
    {cmd::kViewDrawBar, "Zobrazit / skrýt Kreslení"},
    {cmd::kZoomToFit, "Zvětšit tak, aby se celá kresba vešla do okna\nPřizpůsobit oknu"},
    {cmd::kAidStandardBonds,
     "Volný konec vazby na standardní délku a po 15 stupních (Shift: volně)\nStandardní vazby"},
    {cmd::kAidClickAddsBond,
     "Kliknutí nástrojem vazby na uzel nebo vzorec k němu přidá vazbu\nVazba kliknutím"},
    {cmd::kAidFuseRings,
     "Šablona kruhu stisknutá na vazbě nebo uzlu se k nim přiloží\nPřikládání kruhů"},
    {cmd::kAidKeepTools,
     "Nástroj zůstane vybrán i po vytvoření objektu, až do Esc\nPonechat nástroj"},
    {cmd::kAidTypingMakesLabels,
     "Psaní nad uzlem vytvoří značku, číslice a náboje jdou do indexů\nPsaní značek na atomy"},
    {cmd::kAppAbout, "Zobrazit základní informace\nO aplikaci"},
};

// String 100 exists only in English; the lookup falls back to the English table.
constexpr NumberedString kStrings[] = {
    {128,
     "Valendra\nBez názvu\nValendra Document\nValendra Files (*.vld)\n.vld\nValendra.Document\n"
     "Valendra Document\nVLDR\nValendra Files"},
    {57344, "Valendra"},
    {57345, "Připraven"},
    {59137, "CAP"},
    {59138, "NUM"},
    {59139, "SCRL"},
};

constexpr MessageTexts kMessages = {
    "%s nebyl nalezen.",
    "Otevřít soubor",
    "%s\nSoubor nenalezen.\nOvěřte, zda je zadán správný název souboru.",
    "Uložit změny do %s?",
    "Valendra dokumenty (*.vld)|*.vld|Kvill dokumenty (*.kvl)|*.kvl|"
    "Chemické struktury (*.mol;*.sdf;*.smi;*.smiles;*.rxn;*.cdxml)|"
    "*.mol *.sdf *.smi *.smiles *.rxn *.cdxml|Všechny soubory (*.*)|*.*|",
    "Valendra Documents (*.vld)|*.vld|",
    "Valendra dokument",
    "O aplikaci Valendra",
    "Valendra",
    "Chyba Valendra",
    "%1 nelze uložit.\n%2\nPředchozí soubor, pokud existoval, zůstal beze změny.",
    "%1 nelze přečíst.\n%2",
    "Tento příkaz zatím není k dispozici.",
    "Obrázky SVG (*.svg)|*.svg|Obrázky PNG (*.png)|*.png|Dokumenty PDF (*.pdf)|*.pdf|",
    "Obrázek %1 nelze exportovat.\n%2",
    "Otevírání souboru %1...",
    "Ukládání souboru %1...",
    "Export obrázku %1...",
    "Zrušit",
    "Soubory MDL Molfile (*.mol)|*.mol|Soubory SD (*.sdf)|*.sdf|SMILES (*.smi)|*.smi|"
    "InChI (*.inchi)|*.inchi|Reakce MDL (*.rxn)|*.rxn|",
    "Strukturu %1 nelze exportovat.\n%2",
    "V kresbě není žádná struktura.",
    "V kresbě není žádná reakce.",
    "Žádné problémy",
    "1 problém",
    "%1 problémy",
    "%1 problémů",
    "Žádná struktura ke kopírování",
    "Bez InChI: %1",
    "Chyba: Nejde o soubor chemické struktury.\n%1",
    "Není co vložit: %1",
    "Nic nevloženo: schránka obsahuje více než 10 MB textu.",
    "Nevyčištěno: %1",
    "Přizpůsobit kresbu stránce",
};

constexpr const char* kAbout[] = {
    "Valendra 0.1",
    "Editor chemických vzorců a reakčních schémat.",
};

// The context menus: the first submenu of each is what shows.
constexpr MenuItem kThickness[] = {
    Cmd("0.1x", cmd::kThickness01),
    Cmd("0.2x", cmd::kThickness02),
    Cmd("0.5x", cmd::kThickness05),
    Cmd("0.75x", cmd::kThickness075),
    Cmd("1x", cmd::kThickness1),
    Cmd("1.5x", cmd::kThickness15),
    Cmd("2x", cmd::kThickness2),
    Cmd("3x", cmd::kThickness3),
    Cmd("4x", cmd::kThickness4),
    Cmd("5x", cmd::kThickness5),
    Cmd("&Vlastní", cmd::kThicknessCustom),
};
constexpr MenuItem kContextSeveral[] = {
    Cmd("Vyjmou&t", cmd::kCutContext),         Cmd("&Kopírovat", cmd::kCopyContext),
    Cmd("&Smazat", cmd::kEditDelete),          Sep(),
    Cmd("S&eskupit", cmd::kContextGroup),      Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront), Cmd("Přenést d&ozadu", cmd::kBringBack),
};
constexpr MenuItem kContextGroupItems[] = {
    Cmd("Vyjmou&t", cmd::kCutContext),
    Cmd("&Kopírovat", cmd::kCopyContext),
    Cmd("&Smazat", cmd::kEditDelete),
    Sep(),
    Cmd("&Rozdělit", cmd::kContextUngroup),
    Sep(),
    Cmd("&Otočit", cmd::kRotate),
    Cmd("&Zamknout poměr stran", cmd::kLockAspect),
    Cmd("Změnit &barvu", cmd::kChangeColor),
    Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront),
    Cmd("Přenést d&ozadu", cmd::kBringBack),
};
constexpr MenuItem kContextBond[] = {
    Cmd("Vyjmou&t", cmd::kCutContext),
    Cmd("&Kopírovat", cmd::kCopyContext),
    Cmd("&Smazat", cmd::kEditDelete),
    Sep(),
    Cmd("&Přehodit", cmd::kSwap),
    Cmd("Změnit &barvu", cmd::kChangeColor),
    Popup("&Tloušťka čáry", kThickness),
    Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront),
    Cmd("Přenést d&ozadu", cmd::kBringBack),
};
constexpr MenuItem kContextFormula[] = {
    Cmd("Vyjmou&t", cmd::kCutContext),
    Cmd("&Kopírovat", cmd::kCopyContext),
    Cmd("&Smazat", cmd::kEditDelete),
    Sep(),
    Cmd("&Upravit", cmd::kEditFormula),
    Cmd("Změnit &barvu", cmd::kChangeColor),
    Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront),
    Cmd("Přenést d&ozadu", cmd::kBringBack),
};
constexpr MenuItem kContextDot[] = {
    Cmd("Vyjmou&t", cmd::kCutContext),         Cmd("&Kopírovat", cmd::kCopyContext),
    Cmd("&Smazat", cmd::kEditDelete),          Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront), Cmd("Přenést d&ozadu", cmd::kBringBack),
};
constexpr MenuItem kContextNothing[] = {
    Cmd("&Vložit", cmd::kPasteContext),
};
constexpr MenuItem kContextShape[] = {
    Cmd("Vyjmou&t", cmd::kCutContext),
    Cmd("&Kopírovat", cmd::kCopyContext),
    Cmd("&Smazat", cmd::kEditDelete),
    Sep(),
    Cmd("&Zamknout poměr stran", cmd::kLockAspect),
    Cmd("Změnit &barvu", cmd::kChangeColor),
    Popup("&Tloušťka čáry", kThickness),
    Sep(),
    Cmd("Přenést do&předu", cmd::kBringFront),
    Cmd("Přenést d&ozadu", cmd::kBringBack),
};
constexpr MenuItem kContext298[] = {Popup("Pre group", kContextSeveral)};
constexpr MenuItem kContext300[] = {Popup("Skupina", kContextGroupItems)};
constexpr MenuItem kContext302[] = {Popup("Vazba", kContextBond)};
constexpr MenuItem kContext303[] = {Popup("Vzorec", kContextFormula)};
constexpr MenuItem kContext304[] = {Popup("Bod", kContextDot)};
constexpr MenuItem kContext335[] = {Popup("No Item", kContextNothing)};
constexpr MenuItem kContext336[] = {Popup("Ellipse", kContextShape)};
constexpr MenuItem kContext337[] = {Popup("Charge", kContextShape)};
constexpr NumberedMenu kContextMenus[] = {
    {298, kContext298}, {300, kContext300}, {302, kContext302}, {303, kContext303},
    {304, kContext304}, {335, kContext335}, {336, kContext336}, {337, kContext337},
};

}  // namespace

const LanguageTables kCzechTables = {kMenu128,   kMenu5, kPrompts,     kStrings,
                                     &kMessages, kAbout, kContextMenus};

}  // namespace res::detail
