#pragma once

#include <string>

// Typing a chemical label with its indices made as it is typed: a digit right after a
// letter or a closing bracket opens a lower index (and a digit right after such an index
// goes on in it), and a '+' or '-' typed at the end of the label goes into an upper index.
// "CH3" comes out as CH#idown 3# , "SO42-" as SO#idown 4# #iup 2-# , "NH4+" as
// NH#idown 4# #iup +# and "Fe3+" (an element alone) as Fe#iup 3+# .
//
// Applies the byte c typed at nCaret in text; false when c is typed as it is (the caller
// inserts it), true when text and nCaret have been changed here.
bool TypeLabelByte(std::string& text, int& nCaret, char c);
// A letter that may begin or continue a symbol (ASCII A-Z, a-z).
bool IsLabelLetter(int c);
