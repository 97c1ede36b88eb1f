#pragma once

#include <span>

#include "resources/Resources.h"

// The per-language tables behind the lookups of Resources.h.
namespace res::detail {

struct NumberedString {
  int id;
  const char* text;
};

struct NumberedMenu {
  int id;
  std::span<const MenuItem> menu;
};

struct LanguageTables {
  std::span<const MenuItem> menu128;
  std::span<const MenuItem> menu5;
  std::span<const NumberedString> prompts;
  std::span<const NumberedString> strings;
  const MessageTexts* messages;
  std::span<const char* const> about;
  std::span<const NumberedMenu> contextMenus;
};

extern const LanguageTables kEnglishTables;
extern const LanguageTables kCzechTables;

}  // namespace res::detail
