// The ordinary controls of a dialog window: label, button, edit field, list, folder
// list with its drive list, check box, multi-line text, progress bar, picture and
// panel. A control keeps its whole state here, in one place for every back end; the
// back end shows it through a peer and reports what the user does through the
// User... calls, which change the state and raise the control's events exactly as a
// program's own code would see them. The headless back end has a peer that only
// counts, so a test drives a dialog through the same calls a desktop makes.
//
// Texts are Windows-1250, like every string of the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"

namespace platform {

enum class ControlKind {
    Label,        // one line of text; auto-sized to its text unless made fixed-size
    Button,       // a push button; a default button answers the Enter key
    Edit,         // a one-line edit field
    List,         // a list of texts, one selectable; optionally sorted (Polish alphabet, any case)
    FolderList,   // the folders from a drive's root down to the open one, and its subfolders
    DriveList,    // the drives of the drive table; choosing one opens it in a folder list
    CheckBox,     // a box with a caption that the user ticks
    Memo,         // read-only text of several lines, both scroll bars
    ProgressBar,  // 0 to 100
    Picture,      // an image of the program's own
    Panel,        // holds other controls; optionally a colour and a bevelled frame
};

enum class Bevel { None, Raised, Lowered };

// The grey of buttons and dialog backgrounds.
inline constexpr Rgb kButtonFace{212, 208, 200};

class Control;

// How a back end shows a control.
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    // Something of the control's state changed; the back end shows it when control
    // returns to the message loop.
    virtual void Changed(Control& c) = 0;
    // Draw the control now, before the program goes on (a label updated while a long
    // job runs must show before the next file).
    virtual void Repaint(Control& c) = 0;
};

// One row of a folder list.
struct FolderRow {
    std::string name;  // "C:\" for the drive, then one folder name per level
    std::string path;  // the folder's Windows path, without a trailing backslash but for a root
    int level = 0;     // indentation: 0 the drive, 1 its folders, ...
    bool open = false; // on the way down to the open folder, or the open folder itself
};

class Control {
public:
    Control(ControlKind kind, Control* parent, std::string name);
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const { return kind_; }
    Control* Parent() const { return parent_; }
    // The component's name (DED, FLB, ...): for diagnostics and tests.
    const std::string& Name() const { return name_; }
    void SetPeer(ControlPeer* p) { peer_ = p; }
    ControlPeer* Peer() const { return peer_; }

    // Position relative to the parent (the window's client area or a panel).
    void SetBounds(int x, int y, int w, int h);
    Rect Bounds() const { return bounds_; }
    // A label sized to its text (the default for labels) or fixed to its bounds.
    void SetAutoSize(bool on);
    bool AutoSize() const { return autoSize_; }

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }

    void SetVisible(bool on);
    bool Visible() const { return visible_; }
    // Visible with every panel it sits in.
    bool Showing() const;
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }

    // Character height in pixels and weight of the plain sans face.
    void SetFont(int height, bool bold = false);
    int FontHeight() const { return fontHeight_; }
    bool FontBold() const { return fontBold_; }
    // Background colour; unset means the window's (button face).
    void SetColor(Rgb c);
    bool HasColor() const { return hasColor_; }
    Rgb Color() const { return color_; }
    // Frame of a panel: the outer bevel, then the inner one.
    void SetBevels(Bevel outer, Bevel inner);
    Bevel OuterBevel() const { return outer_; }
    Bevel InnerBevel() const { return inner_; }

    // Button: Enter presses the default button that is showing.
    void SetDefault(bool on);
    bool Default() const { return default_; }

    // Check box.
    void SetChecked(bool on);
    bool Checked() const { return checked_; }

    // List, memo (its lines), drive list. Sorted lists follow the Polish alphabet
    // ignoring letter case, on every back end.
    void SetSorted(bool on);
    bool Sorted() const { return sorted_; }
    void Clear();
    // Adds a text; a sorted list puts it in its place. Returns its index.
    int AddItem(const std::string& text);
    void DeleteItem(int index);
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Item(int index) const;
    const std::vector<std::string>& Items() const { return items_; }
    // -1 for none.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    // Progress bar.
    void SetPosition(int percent);
    int Position() const { return position_; }

    // Picture: draw into it, then Repaint (or let the loop show it).
    Image& Picture() { return picture_; }
    const Image& Picture() const { return picture_; }

    // Folder list: the open folder ("C:\", "C:\A\B"); setting it does not raise onChange.
    void SetDirectory(const std::string& winPath);
    const std::string& Directory() const { return directory_; }
    const std::vector<FolderRow>& Rows() const { return rows_; }
    // Reads the folders again (after one was created).
    void Refresh();

    // Drive list: the folder list it opens drives in; the drives it offers are the
    // drive table's. Its items are the drive names ("C:"), ItemIndex the one shown.
    void BindFolderList(Control* folderList);
    Control* BoundFolderList() const { return boundList_; }
    void FillDrives();

    // Draws the control now (see ControlPeer::Repaint).
    void Repaint();

    // --- what the user does; the back ends call these ---
    // A button pressed or a check box clicked (it toggles); false when the control
    // is hidden, disabled or not a button or check box.
    bool UserPress();
    // The text of an edit field typed.
    bool UserEdit(const std::string& text);
    // A list row chosen (onClick), a drive chosen (the bound folder list opens it and
    // raises its onChange).
    bool UserSelect(int index);
    // A folder-list row opened (double click or Enter): the list opens that folder and
    // raises onChange.
    bool UserOpen(int row);

    // Button pressed, check box clicked, list row chosen.
    std::function<void()> onClick;
    // Edit field typed, folder list opened another folder.
    std::function<void()> onChange;

private:
    void Notify();

    ControlKind kind_;
    Control* parent_;
    std::string name_;
    ControlPeer* peer_ = nullptr;
    Rect bounds_;
    bool autoSize_ = false;
    std::string text_;
    bool visible_ = true, enabled_ = true;
    int fontHeight_ = 11;
    bool fontBold_ = false;
    bool hasColor_ = false;
    Rgb color_;
    Bevel outer_ = Bevel::None, inner_ = Bevel::None;
    bool default_ = false;
    bool checked_ = false;
    bool sorted_ = false;
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int position_ = 0;
    Image picture_;
    std::string directory_;
    std::vector<FolderRow> rows_;
    Control* boundList_ = nullptr;
};

// The rows a folder list shows for an open folder: the drive, each folder on the way
// down, then the open folder's subfolders (sorted as lists are; names beginning with
// a dot are the host's hidden folders and are left out).
std::vector<FolderRow> FolderRowsFor(const std::string& winPath);

// The default button that Enter presses among controls, or nullptr.
Control* FindDefaultButton(const std::vector<std::unique_ptr<Control>>& controls);

}  // namespace platform
