#pragma once

#include <QString>

// Small text helpers of the shell.

// The text with its first "%s" replaced by the argument (the program's messages are
// printf-style formats with one string).
QString FormatS(const char* pszFormat, const QString& arg);

// The file name part of a path: the text after its last separator ("/", or "\" as the
// program's older paths have it); a path without one is taken whole.
QString FileNamePart(const QString& strPath);

// The n-th field (from 0) of the document template string, fields separated by "\n".
QString TemplateField(const char* pszTemplate, int n);
