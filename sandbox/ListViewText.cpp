#include "sandbox/ListViewText.h"

#include <commctrl.h>

#include "sandbox/TextCodec.h"

std::vector<std::string> ListViewHeaders(HWND list) {
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> headers;
    for (int column = 0; column < columns; ++column) {
        wchar_t text[512] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 512;
        SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        headers.push_back(Utf8FromWide(text));
    }
    return headers;
}

std::string ListViewText(HWND list, int item, int column) {
    wchar_t text[512] = {};
    LVITEMW request = {};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&request));
    return Utf8FromWide(text);
}

std::vector<std::vector<std::string>> ListViewRows(HWND list) {
    const size_t columns = ListViewHeaders(list).size();
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(count));
    for (int item = 0; item < count; ++item)
        for (size_t column = 0; column < columns; ++column)
            rows[item].push_back(ListViewText(list, item, static_cast<int>(column)));
    return rows;
}
