// The word syntax of journals: blank-separated words, double-quoted words with \" and \\ escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Expected.h"

namespace moldbom {

// Blank lines and comment lines ("#" as the first non-blank character) carry no event.
bool IsSkippedJournalLine(std::string_view line);

// Splits one journal line into its words; a trailing CR (a file written on another system) is
// ignored. Fails on an unterminated quote, an unknown escape, a quote inside a bare word, or a
// quoted word glued to the next one.
Expected<std::vector<std::string>> SplitJournalWords(std::string_view line);

// The word in double quotes, with \" and \\ escaped: how the host's output writes parameters,
// and a form SplitJournalWords reads back.
std::string QuoteWord(std::string_view word);

// The whole number a word writes (an optional "+" or "-", then digits), none when it is not one
// or does not fit an int. Events and editors read numbers alike.
std::optional<int> WholeNumber(std::string_view word);

// The word as a journal would write it: bare when it needs no quotes, quoted otherwise.
std::string JournalWord(std::string_view word);

// The words as one journal line, which SplitJournalWords reads back as the same words.
std::string JournalLine(const std::vector<std::string>& words);

}  // namespace moldbom
