#include "runtime/input/focus_navigation.h"

#include <algorithm>

#include "platform/controls/controls.h"

namespace rt {
namespace {

bool IsOptionButton(const FormInput& input, int32_t index) {
    return input.TypeFlags(index) & TYPE_FLAG_OPTION_BUTTON;
}

bool IsChecked(const FormInput& input, int32_t index) {
    platform::HWND hwnd = input.UnitWindow(index);
    return hwnd &&
           platform::SendMessage(hwnd, platform::BM_GETCHECK, 0, 0) == platform::BST_CHECKED;
}

// Where Tab lands inside a stop.
int32_t Landing(const FormInput& input, const std::vector<int32_t>& stop) {
    for (int32_t index : stop) {
        if (stop.size() > 1 && IsChecked(input, index))
            return index;
    }
    return stop.front();
}

// The option buttons under the parent window of `index`, in table order.
std::vector<int32_t> OptionGroupOf(const FormInput& input, int32_t index) {
    std::vector<int32_t> group;
    platform::HWND parent = platform::GetParent(input.UnitWindow(index));
    for (int32_t i = 1; i < input.UnitCount(); ++i) {
        if (IsOptionButton(input, i) && CanTakeFocus(input, i) &&
            platform::GetParent(input.UnitWindow(i)) == parent) {
            group.push_back(i);
        }
    }
    return group;
}

}  // namespace

bool CanTakeFocus(const FormInput& input, int32_t index) {
    if (index <= 0)
        return false;
    platform::HWND hwnd = input.UnitWindow(index);
    return hwnd && platform::IsWindowVisible(hwnd) && platform::IsWindowEnabled(hwnd);
}

std::vector<std::vector<int32_t>> TabStops(const FormInput& input) {
    std::vector<std::pair<int32_t, int32_t>> sequence;  // (tab order, index)
    for (int32_t i = 1; i < input.UnitCount(); ++i) {
        int32_t order = input.Unit(i).TabOrder();
        if (order >= 0 && CanTakeFocus(input, i))
            sequence.emplace_back(order, i);
    }
    std::stable_sort(sequence.begin(), sequence.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::vector<int32_t>> stops;
    bool lastWasOption = false;
    platform::HWND lastParent = nullptr;
    for (const auto& [order, index] : sequence) {
        bool option = IsOptionButton(input, index);
        platform::HWND parent = platform::GetParent(input.UnitWindow(index));
        if (option && lastWasOption && parent == lastParent)
            stops.back().push_back(index);
        else
            stops.push_back({index});
        lastWasOption = option;
        lastParent = parent;
    }
    return stops;
}

int32_t NextTabUnit(const FormInput& input, int32_t from, bool previous) {
    std::vector<std::vector<int32_t>> stops = TabStops(input);
    if (stops.empty())
        return -1;
    int32_t count = int32_t(stops.size());
    int32_t at = -1;
    for (int32_t s = 0; s < count && from > 0; ++s) {
        if (std::find(stops[size_t(s)].begin(), stops[size_t(s)].end(), from) !=
            stops[size_t(s)].end()) {
            at = s;
        }
    }
    int32_t target = previous ? count - 1 : 0;
    if (at >= 0)
        target = (at + (previous ? count - 1 : 1)) % count;
    return Landing(input, stops[size_t(target)]);
}

bool MoveFocus(const FormInput& input, bool previous) {
    int32_t from = input.UnitContaining(platform::GetFocus());
    int32_t to = NextTabUnit(input, from, previous);
    if (to < 0)
        return false;
    FocusUnit(input, to);
    return true;
}

int32_t OptionGroupNeighbour(const FormInput& input, int32_t index, int32_t step) {
    std::vector<int32_t> group = OptionGroupOf(input, index);
    auto at = std::find(group.begin(), group.end(), index);
    if (at == group.end())
        return index;
    auto count = int32_t(group.size());
    auto position = int32_t(at - group.begin());
    return group[size_t(((position + step) % count + count) % count)];
}

void SelectOptionButton(const FormInput& input, int32_t index) {
    platform::HWND chosen = input.UnitWindow(index);
    if (!chosen)
        return;
    platform::HWND parent = platform::GetParent(chosen);
    for (int32_t i = 1; i < input.UnitCount(); ++i) {
        platform::HWND other = input.UnitWindow(i);
        if (i == index || !other || !IsOptionButton(input, i) ||
            platform::GetParent(other) != parent)
            continue;
        platform::SendMessage(other, platform::BM_SETCHECK, platform::BST_UNCHECKED, 0);
    }
    platform::SendMessage(chosen, platform::BM_SETCHECK, platform::BST_CHECKED, 0);
}

void FocusUnit(const FormInput& input, int32_t index) {
    platform::HWND hwnd = input.UnitWindow(index);
    if (!hwnd)
        return;
    platform::SetFocus(hwnd);
    // A text reached from the keyboard is selected whole, so typing
    // replaces it.
    if (platform::SendMessage(hwnd, platform::WM_GETDLGCODE, 0, 0) & platform::DLGC_HASSETSEL)
        platform::SendMessage(hwnd, platform::EM_SETSEL, 0, -1);
}

}  // namespace rt
