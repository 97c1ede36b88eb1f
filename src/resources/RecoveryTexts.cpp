#include "resources/RecoveryTexts.h"

namespace res {

namespace {

constexpr RecoveryTexts kEnglish = {
    "Valendra ended without saving these drawings:\n\n%1\n\n"
    "Recover opens them, Discard deletes them, Later keeps them for the next start.",
    "%1, changed %2",
    "&Recover",
    "&Discard",
    "&Later",
    "%1 (recovered)",
    "The recovery file %1 could not be read.\n%2\nIt has been kept as %3.",
    "The drawing in it is cut short; what could be read is in the window.",
    "The drawing could not be kept for recovery in %1.\n%2\n"
    "It is still in the window; save it so as not to lose it.",
    "The settings could not be saved to %1.\n%2",
};

constexpr RecoveryTexts kCzech = {
    "Valendra skončila bez uložení těchto kreseb:\n\n%1\n\n"
    "Obnovit je otevře, Zahodit je smaže, Později je ponechá pro příští spuštění.",
    "%1, změněno %2",
    "&Obnovit",
    "&Zahodit",
    "&Později",
    "%1 (obnoveno)",
    "Soubor pro obnovení %1 nelze přečíst.\n%2\nByl ponechán jako %3.",
    "Kresba v něm je neúplná; co šlo přečíst, je v okně.",
    "Kresbu nelze uchovat pro obnovení v %1.\n%2\n"
    "Zůstává v okně; uložte ji, abyste o ni nepřišli.",
    "Nastavení nelze uložit do %1.\n%2",
};

}  // namespace

const RecoveryTexts& Recovery(Language lang) { return lang == Language::Czech ? kCzech : kEnglish; }

}  // namespace res
