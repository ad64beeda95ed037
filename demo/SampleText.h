// The text the gallery's find and replace dialogs search, and the count of matches in it.
#pragma once

#include "framework/SysUtils.h"

extern const char* const SampleText;

// How many times `text` occurs in `sample`, non-overlapping, as the find dialog's options ask:
// letters compared with or without case (single-byte letters only), and with `wholeWord` only
// occurrences with no letter, digit or underscore right before or after. Double-byte characters
// are compared whole, never from their second byte.
int CountMatches(const AnsiString& sample, const AnsiString& text, bool matchCase, bool wholeWord);
