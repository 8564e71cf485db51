#include "platform/controls.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/paths.h"
#include "platform/text.h"

namespace platform {

namespace {

// The order of every sorted list and of the folder list, on every back end: the
// Polish alphabet ignoring letter case, as a list box sorts under the Polish locale.
// Signs come first, then digits, then letters in the order A Ą B C Ć ... Z Ź Ż; a
// letter of another language (É, Ü, Š, ...) sorts with its plain letter, and of two
// names equal in all else the plain one comes first.
struct ListOrder {
    std::array<uint16_t, 256> weight{};  // of a byte, letter case and foreign accents ignored
    std::array<uint8_t, 256> upper{};

    ListOrder() {
        for (int b = 0; b < 256; ++b) {
            weight[b] = static_cast<uint16_t>(b);
            upper[b] = static_cast<uint8_t>(UpperCp1250(static_cast<char>(b)));
        }
        for (int d = 0; d < 10; ++d) weight['0' + d] = static_cast<uint16_t>(256 + d);
        const std::string alphabet = W("AĄBCĆDEĘFGHIJKLŁMNŃOÓPQRSŚTUVWXYZŹŻ");
        std::array<uint16_t, 256> letter{};
        for (size_t i = 0; i < alphabet.size(); ++i)
            letter[static_cast<uint8_t>(alphabet[i])] = static_cast<uint16_t>(300 + i);
        const std::string foreign = W("ŔÁÂĂÄĹÇČÉËĚÍÎĎĐŇÔŐÖŘŮÚŰÜÝŢŠŤŽĽŞß");
        const std::string plain = "RAAAALCCEEEIIDDNOOORUUUUYTSTZLSS";
        for (size_t i = 0; i < foreign.size(); ++i)
            letter[static_cast<uint8_t>(foreign[i])] = letter[static_cast<uint8_t>(plain[i])];
        for (int b = 0; b < 256; ++b)
            if (letter[upper[b]]) weight[b] = letter[upper[b]];
    }

    bool Less(const std::string& a, const std::string& b) const {
        auto by = [](const std::array<uint16_t, 256>& w) {
            return [&w](char x, char y) { return w[static_cast<uint8_t>(x)] < w[static_cast<uint8_t>(y)]; };
        };
        if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), by(weight))) return true;
        if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), by(weight))) return false;
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [this](char x, char y) {
            return upper[static_cast<uint8_t>(x)] < upper[static_cast<uint8_t>(y)];
        });
    }
};

bool LessInListOrder(const std::string& a, const std::string& b) {
    static const ListOrder order;
    return order.Less(a, b);
}
}  // namespace

Control::Control(ControlKind kind, Control* parent, std::string name)
    : kind_(kind), parent_(parent), name_(std::move(name)), autoSize_(kind == ControlKind::Label) {}

Control::~Control() = default;

void Control::Notify() {
    if (peer_) peer_->Changed(*this);
}

void Control::Repaint() {
    if (peer_) peer_->Repaint(*this);
}

void Control::SetBounds(int x, int y, int w, int h) {
    bounds_ = {x, y, w, h};
    Notify();
}

void Control::SetAutoSize(bool on) {
    autoSize_ = on;
    Notify();
}

void Control::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Notify();
}

void Control::SetVisible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    Notify();
}

bool Control::Showing() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Notify();
}

void Control::SetFont(int height, bool bold) {
    fontHeight_ = height;
    fontBold_ = bold;
    Notify();
}

void Control::SetColor(Rgb c) {
    hasColor_ = true;
    color_ = c;
    Notify();
}

void Control::SetBevels(Bevel outer, Bevel inner) {
    outer_ = outer;
    inner_ = inner;
    Notify();
}

void Control::SetDefault(bool on) {
    default_ = on;
    Notify();
}

void Control::SetChecked(bool on) {
    if (on == checked_) return;
    checked_ = on;
    Notify();
}

void Control::SetSorted(bool on) {
    sorted_ = on;
    if (on) std::stable_sort(items_.begin(), items_.end(), LessInListOrder);
    Notify();
}

void Control::Clear() {
    items_.clear();
    itemIndex_ = -1;
    Notify();
}

int Control::AddItem(const std::string& text) {
    size_t at = items_.size();
    if (sorted_) at = std::upper_bound(items_.begin(), items_.end(), text, LessInListOrder) - items_.begin();
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), text);
    if (itemIndex_ >= static_cast<int>(at)) ++itemIndex_;
    Notify();
    return static_cast<int>(at);
}

void Control::DeleteItem(int index) {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
    if (itemIndex_ == index)
        itemIndex_ = -1;
    else if (itemIndex_ > index)
        --itemIndex_;
    Notify();
}

const std::string& Control::Item(int index) const {
    static const std::string none;
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : none;
}

void Control::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
    Notify();
}

void Control::SetPosition(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == position_) return;
    position_ = percent;
    Notify();
}

void Control::SetDirectory(const std::string& winPath) {
    std::string p = winPath;
    // "C:" and "C:\" are both the drive's root; other folders lose a trailing backslash.
    if (p.size() == 2 && p[1] == ':') p += '\\';
    if (p.size() > 3 && p.back() == '\\') p.pop_back();
    directory_ = p;
    rows_ = FolderRowsFor(p);
    Notify();
}

void Control::Refresh() {
    rows_ = FolderRowsFor(directory_);
    Notify();
}

void Control::BindFolderList(Control* folderList) {
    boundList_ = folderList;
    FillDrives();
}

void Control::FillDrives() {
    items_.clear();
    for (char letter : Drives().Letters()) items_.push_back(std::string(1, letter) + ":");
    itemIndex_ = -1;
    if (boundList_ && !boundList_->Directory().empty()) {
        char shown = UpperCp1250(boundList_->Directory()[0]);
        for (int i = 0; i < Count(); ++i)
            if (items_[static_cast<size_t>(i)][0] == shown) itemIndex_ = i;
    }
    Notify();
}

bool Control::UserPress() {
    if (!Showing() || !enabled_) return false;
    if (kind_ == ControlKind::CheckBox) {
        SetChecked(!checked_);
    } else if (kind_ != ControlKind::Button) {
        return false;
    }
    if (onClick) onClick();
    return true;
}

bool Control::UserEdit(const std::string& text) {
    if (kind_ != ControlKind::Edit || !Showing() || !enabled_) return false;
    SetText(text);
    if (onChange) onChange();
    return true;
}

bool Control::UserSelect(int index) {
    if (!Showing() || !enabled_ || index < 0 || index >= Count()) return false;
    if (kind_ == ControlKind::List) {
        SetItemIndex(index);
        if (onClick) onClick();
        return true;
    }
    if (kind_ == ControlKind::DriveList) {
        SetItemIndex(index);
        if (onClick) onClick();
        if (boundList_) {
            boundList_->SetDirectory(items_[static_cast<size_t>(index)]);
            if (boundList_->onChange) boundList_->onChange();
        }
        return true;
    }
    return false;
}

bool Control::UserOpen(int row) {
    if (kind_ != ControlKind::FolderList || !Showing() || !enabled_ || row < 0 || row >= static_cast<int>(rows_.size()))
        return false;
    SetDirectory(rows_[static_cast<size_t>(row)].path);
    if (onChange) onChange();
    return true;
}

std::vector<FolderRow> FolderRowsFor(const std::string& winPath) {
    std::vector<FolderRow> rows;
    if (winPath.size() < 2 || winPath[1] != ':') return rows;
    std::string path = winPath.substr(0, 2) + "\\";
    rows.push_back({path, path, 0, true});
    std::string rest = winPath.size() > 3 ? winPath.substr(3) : std::string();
    int level = 1;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string name = rest.substr(start, end - start);
        if (!name.empty()) {
            path = IncludeTrailingBackslash(path) + name;
            rows.push_back({name, path, level++, true});
        }
        start = end + 1;
    }
    std::vector<std::string> subs;
    for (const DirEntry& e : ListDirectory(IncludeTrailingBackslash(path)))
        if ((e.attrs & kAttrDirectory) && !e.name.empty() && e.name[0] != '.') subs.push_back(e.name);
    std::sort(subs.begin(), subs.end(), LessInListOrder);
    for (const std::string& s : subs) rows.push_back({s, IncludeTrailingBackslash(path) + s, level, false});
    return rows;
}

Control* FindDefaultButton(const std::vector<std::unique_ptr<Control>>& controls) {
    for (const auto& c : controls)
        if (c->Kind() == ControlKind::Button && c->Default() && c->Showing() && c->Enabled()) return c.get();
    return nullptr;
}

}  // namespace platform
