#pragma once
// The drive list, the directory list and the file list, chained as a file dialog of one's
// own: a new drive moves the directory list (Dir.Path = Drive.Drive), whose Change moves
// the file list (File.Path = Dir.Path). A drive or folder that cannot be read raises the
// classic error: 68 device unavailable, 71 disk not ready, 75 path/file access error, 76
// path not found.
#include "forms.h"
#include "list_boxes.h"

#include <vector>

namespace mirolt::platform {

// The error number for a failed look-up of a drive or folder (GetLastError's value).
int DriveErrorNumber(DWORD systemError);

// A drop-down list of the system's drives, "c:" followed by " [label]" for a fixed drive
// with a label.
class DriveListBox : public Control {
  public:
    struct Design {
        Place place;
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    // Starts at the process's current drive.
    DriveListBox(Container &parent, std::wstring name, const Design &design);

    // The chosen item, "c:" or "c: [label]".
    std::wstring Drive() const;
    // Chooses the drive of `drive`'s first letter, raising Change when it is another one;
    // a letter the system has no drive for raises 68.
    void SetDrive(const std::wstring &drive);
    int ListCount() const;
    std::wstring List(int index) const;
    int ListIndex() const;
    void SetListIndex(int index);
    // Reads the system's drives again, keeping the chosen one where it is still there.
    void Refresh();

    Event<> Change; // another drive chosen, by the user or by code

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  private:
    void Fill();
    int IndexOfLetter(wchar_t letter) const;
    int chosen_ = -1;
};

// The folders of a path: the path's ancestors and the path itself, indented, then its
// subfolders. List(i) for i >= 0 is the i-th subfolder's full path, List(-1) the path
// itself, List(-2) its parent and so on; ListCount counts the subfolders.
class DirListBox : public Control {
  public:
    struct Design {
        Place place;
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    // Starts at the process's current directory.
    DirListBox(Container &parent, std::wstring name, const Design &design);

    // The full path, with a backslash at its end only at a drive's root ("c:\").
    std::wstring Path() const { return path_; }
    // A folder (relative ones against the current directory), or a drive alone ("c:", also
    // as a drive list's "c: [label]"), which means that drive's current directory. Raises
    // Change when the path is another one; a folder that cannot be read raises its error.
    void SetPath(const std::wstring &path);
    int ListCount() const { return int(subfolders_.size()); }
    std::wstring List(int index) const;
    // The highlighted entry in List's numbering; -1 (the path itself) after every new path.
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index);
    void Refresh();

    Event<> Change; // the path changed: by code, or by a double click on another folder
    Event<> Click;  // another entry highlighted

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  private:
    void Fill();
    int RowOf(int index) const; // the list row of List's index
    std::wstring path_;
    std::vector<std::wstring> ancestors_; // from the root down to path_ itself
    std::vector<std::wstring> subfolders_;
    int listIndex_ = -1;
};

// The ordinary files of a folder that match the pattern ("*.*" by default; several
// patterns separated by ";"), sorted by name without regard to case: a list box whose
// items the folder and the pattern decide.
class FileListBox : public ListBox {
  public:
    struct Design {
        Place place;
        std::wstring pattern = L"*.*";
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    // Starts at the process's current directory.
    FileListBox(Container &parent, std::wstring name, const Design &design);

    std::wstring Path() const { return path_; }
    // A folder that does not exist or cannot be read raises its error; the list is read
    // again whenever the path is set.
    void SetPath(const std::wstring &path);
    std::wstring Pattern() const { return pattern_; }
    void SetPattern(const std::wstring &pattern);
    // The chosen file's bare name, empty when none is chosen.
    std::wstring FileName() const { return Text(); }
    void Refresh();

  private:
    void Fill();
    std::wstring path_;
    std::wstring pattern_;
};

} // namespace mirolt::platform
