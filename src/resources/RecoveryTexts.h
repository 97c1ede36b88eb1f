#pragma once

#include "resources/Resources.h"

namespace res {

// The texts of crash recovery and of writes that failed in the background, in the
// interface language (UTF-8; "%1", "%2", "%3" are filled in, "&" marks a mnemonic).
struct RecoveryTexts {
  const char* offer;    // the question at start-up; "%1" the list of entries
  const char* entry;    // one line of that list: "%1" the drawing's name, "%2" the time
  const char* recover;  // the three answers
  const char* discard;
  const char* later;
  const char* recoveredTitle;  // "%1" the drawing's name
  const char* broken;          // "%1" the file, "%2" the reason, "%3" where it was put aside
  const char* cutShort;        // the reason when the drawing in it ends too early
  const char* writeFailed;     // "%1" the file, "%2" the reason
  const char* settingsFailed;  // "%1" the file, "%2" the reason
};
const RecoveryTexts& Recovery(Language lang);

}  // namespace res
