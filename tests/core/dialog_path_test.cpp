// Names typed into a file dialog, read against the folder it shows.
#include "dialog_path.h"

#include <gtest/gtest.h>

using mirolt::PathTypedInDialog;

TEST(DialogPath, TypedNamesJoinTheFolderOrStandAlone) {
    const std::wstring folder = L"D:\\pictures\\2024";
    const struct {
        const wchar_t *folder, *typed;
        std::optional<std::wstring> path;
    } cases[] = {
        {folder.c_str(), L"a.bmp", L"D:\\pictures\\2024\\a.bmp"},
        {folder.c_str(), L"..\\b\\a.bmp", L"D:\\pictures\\2024\\..\\b\\a.bmp"},
        {L"D:\\", L"a.bmp", L"D:\\a.bmp"},
        {folder.c_str(), L"C:\\x\\a.bmp", L"C:\\x\\a.bmp"},
        {folder.c_str(), L"c:/x/a.bmp", L"c:/x/a.bmp"},
        {folder.c_str(), L"C:a.bmp", L"C:a.bmp"},
        {folder.c_str(), L"\\\\server\\share\\a.bmp", L"\\\\server\\share\\a.bmp"},
        {folder.c_str(), L"\\top\\a.bmp", L"D:\\top\\a.bmp"},
        {folder.c_str(), L"/top/a.bmp", L"D:/top/a.bmp"},
        {L"\\\\server\\share", L"\\top\\a.bmp", std::nullopt},
        {L"", L"a.bmp", std::nullopt},
        {L"", L"C:\\a.bmp", L"C:\\a.bmp"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PathTypedInDialog(c.folder, c.typed), c.path) << c.folder << L" + " << c.typed;
}
