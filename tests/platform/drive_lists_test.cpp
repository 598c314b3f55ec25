#include "drive_lists.h"
#include "vb_error.h"

#include "picture_files.h"

#include <gtest/gtest.h>

using namespace mirolt;
using namespace mirolt::platform;

namespace {

class ListsForm : public Form {
  public:
    ListsForm() : Form(FormDesign{.caption = L"lists"}) {}
    DriveListBox Drive1{*this, L"Drive1", {.place = {0, 0, 2000, 300}}};
    DirListBox Dir1{*this, L"Dir1", {.place = {0, 400, 2000, 2000}}};
    FileListBox File1{*this, L"File1", {.place = {2100, 0, 2000, 2400}, .pattern = L"*.jpg"}};
};

// A fresh window of lists for one test, gone at its end.
struct FreshLists {
    FormInstance<ListsForm> instance;
    ListsForm &form = instance.Get();
    ~FreshLists() {
        instance.Discard();
        ReleaseUnloadedForms();
    }
};

int ErrorOf(const std::function<void()> &action) {
    try {
        action();
    } catch (const RuntimeError &e) {
        return e.Number();
    }
    return 0;
}

// A drive letter the system has no drive for.
std::wstring MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (int i = 25; i >= 3; --i)
        if (!(drives & (1u << i))) return std::wstring{wchar_t(L'a' + i), L':'};
    return L"";
}

} // namespace

TEST(DriveLists, FoldersAndFilesOfATreeAndTheClassicErrors) {
    test::TempFolder tree;
    CreateDirectoryW(tree.File(L"b").c_str(), nullptr);
    CreateDirectoryW(tree.File(L"A").c_str(), nullptr);
    for (const wchar_t *name : {L"y.JPG", L"x.jpg", L"z.txt"})
        test::WriteBytes(tree.File(L"A\\") + name, "data");

    FreshLists lists;
    ListsForm &form = lists.form;
    int dirChanges = 0, fileClicks = 0;
    form.Dir1.Change = [&] { ++dirChanges; };
    form.File1.Click = [&] { ++fileClicks; };

    form.Dir1.SetPath(tree.Path() + L"\\");
    EXPECT_EQ(dirChanges, 1);
    EXPECT_EQ(form.Dir1.Path(), tree.Path());
    ASSERT_EQ(form.Dir1.ListCount(), 2);
    EXPECT_EQ(form.Dir1.List(0), tree.File(L"A")); // by name, whatever the case
    EXPECT_EQ(form.Dir1.List(-1), tree.Path());
    form.Dir1.SetPath(tree.Path()); // the same folder again: no Change
    EXPECT_EQ(dirChanges, 1);

    form.File1.SetPath(form.Dir1.List(0));
    ASSERT_EQ(form.File1.ListCount(), 2);
    EXPECT_EQ(form.File1.List(0), L"x.jpg");
    EXPECT_EQ(form.File1.FileName(), L"");
    form.File1.SetListIndex(1);
    EXPECT_EQ(form.File1.FileName(), L"y.JPG");
    EXPECT_EQ(fileClicks, 1);

    // At a drive's root the path keeps its backslash.
    form.Dir1.SetPath(tree.Path().substr(0, 2));
    form.Dir1.SetPath(L"c:\\");
    EXPECT_EQ(form.Dir1.Path().size(), 3u);
    EXPECT_EQ(form.Dir1.Path().back(), L'\\');

    // What cannot be read raises its error and leaves the lists as they were.
    form.Dir1.SetPath(tree.Path());
    EXPECT_EQ(ErrorOf([&] { form.Dir1.SetPath(tree.File(L"gone")); }), kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { form.File1.SetPath(tree.File(L"A\\z.txt")); }), kPathNotFound);
    EXPECT_EQ(form.Dir1.Path(), tree.Path());
    EXPECT_EQ(form.File1.ListCount(), 2);
    const std::wstring missing = MissingDrive();
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(ErrorOf([&] { form.Dir1.SetPath(missing); }), kDeviceUnavailable);
    EXPECT_EQ(ErrorOf([&] { form.Drive1.SetDrive(missing); }), kDeviceUnavailable);
    EXPECT_EQ(DriveErrorNumber(ERROR_NOT_READY), kDiskNotReady);
}

TEST(DriveLists, ADifferentDriveRaisesChangeOnce) {
    FreshLists lists;
    ListsForm &form = lists.form;
    ASSERT_GE(form.Drive1.ListCount(), 2) << "Wine has C: and Z:";
    int changes = 0;
    form.Drive1.Change = [&] { ++changes; };
    const int other = form.Drive1.ListIndex() == 0 ? 1 : 0;
    const std::wstring drive = form.Drive1.List(other);
    form.Drive1.SetDrive(std::wstring(1, wchar_t(towupper(drive[0]))) + L":\\");
    form.Drive1.SetDrive(drive);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(form.Drive1.Drive(), drive);
    form.Dir1.SetPath(form.Drive1.Drive()); // "c: [label]" names the drive
    EXPECT_EQ(towlower(form.Dir1.Path()[0]), drive[0]);
}
