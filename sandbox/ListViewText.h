// What a list view shows, read as a screen reader reads it: through the
// list's own messages, which ask a list of owner data for its texts. In
// UTF-8, whatever form the list was made in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::vector<std::string> ListViewHeaders(HWND list);
std::string ListViewText(HWND list, int item, int column);
// Every row, every column.
std::vector<std::vector<std::string>> ListViewRows(HWND list);
