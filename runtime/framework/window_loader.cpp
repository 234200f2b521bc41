#include "runtime/framework/window_loader.h"

#include <vector>

#include "runtime/application_object.h"
#include "runtime/system_hooks.h"
#include "runtime/unit_type.h"

namespace rt {
namespace {

UnitCreateRoutine CreateRoutineOf(uint32_t type) {
    const DataTypeInfo* info = ApplicationObject::Instance().ResolveType(type);
    if (!info || !info->findOperation)
        return nullptr;
    return reinterpret_cast<UnitCreateRoutine>(info->findOperation(UNIT_ENTRY_CREATE));
}

// The native window a unit's window is made a child of: its parent unit's,
// or the window's own for units placed on the window.
NativeHandle ParentWindowOf(UnitTable& units, UnitEntryView& unit) {
    uint32_t parentId = unit.ParentId();
    UnitEntryView parent = units.ViewOf(parentId);
    if (!parent.Valid() || parent.IsMenuItem() || !parent.Object())
        return 0;
    return parent.Object()->Handle();
}

void Undo(UnitTable& units, const std::vector<int32_t>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        UnitEntryView unit = units.View(*it);
        WindowObject* object = unit.Object();
        unit.SetObject(nullptr);
        delete object;
    }
}

}  // namespace

bool LoadWindowUnits(WindowRecord& window, NativeHandle parent, int32_t) {
    UnitTable& units = window.units;
    std::vector<int32_t> created;
    bool hasMenuItems = false;
    for (int32_t i = 0; i < units.Count(); ++i) {
        UnitEntryView unit = units.View(i);
        if (!unit.Valid()) {
            Undo(units, created);
            return false;
        }
        if (unit.IsMenuItem()) {
            hasMenuItems = true;
            continue;
        }
        if (unit.Object())
            continue;
        UnitCreateRoutine create = CreateRoutineOf(unit.TypeId());
        if (!create) {
            Undo(units, created);
            return false;
        }
        UnitCreateArgs args{};
        args.propertyBlock = unit.TypeData(&args.propertyBlockLength);
        args.windowId = window.id;
        args.unitId = units.KeyAt(i);
        args.parent = i == 0 ? parent : ParentWindowOf(units, unit);
        args.x = unit.Geometry(0);
        args.y = unit.Geometry(1);
        args.width = unit.Geometry(2);
        args.height = unit.Geometry(3);
        args.style = unit.Style();
        args.exStyle = unit.ExStyle();
        args.designMode = 0;
        WindowObject* object = create(&args);
        if (!object) {
            Undo(units, created);
            return false;
        }
        // Creating a unit may not move records, but look the entry up again
        // all the same: the view must not outlive a change of the table.
        units.View(i).SetObject(object);
        created.push_back(i);
    }
    if (hasMenuItems) {
        if (auto rebuild = MenuBars().rebuildMenuBar) {
            UnitEntryView self = units.View(0);
            if (self.Valid() && self.Object())
                rebuild(window, self.Object()->Handle());
        }
    }
    return true;
}

}  // namespace rt
