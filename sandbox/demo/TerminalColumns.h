// Text lined up in the columns a terminal shows. printf pads by bytes, so a
// name in Cyrillic or Chinese letters would push the rest of its row out of
// line: a Cyrillic letter takes two bytes and one column, a Chinese one three
// bytes and two columns.
#pragma once

#include <string>
#include <vector>

// The columns UTF-8 text takes: two for an East Asian wide or fullwidth
// letter, none for a combining mark, one for anything else.
int DisplayWidth(const std::string& utf8);

// Prints rows as columns two apart, each as wide as its widest cell, the
// whole indented by two; the last cell of a row is not padded.
void PrintColumns(const std::vector<std::vector<std::string>>& rows);
