#include "tools/conventions-demo/demo_loader.h"

#include "runtime/menubar/menu_bar_hooks.h"
#include "runtime/unit_type.h"

namespace demo {
namespace {

rt::NativeHandle ParentWindowOf(rt::WindowRecord& window, const rt::UnitEntryView& unit) {
    rt::UnitEntryView parent = window.units.ViewOf(unit.ParentId());
    if (unit.ParentId() == 0 || !parent.Valid() || !parent.Object())
        parent = window.units.View(0);
    return parent.Valid() && parent.Object() ? parent.Object()->Handle() : 0;
}

void Unload(rt::WindowRecord& window, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i) {
        rt::UnitEntryView unit = window.units.View(i);
        if (unit.Valid() && !unit.IsMenuItem()) {
            delete unit.Object();
            unit.SetObject(nullptr);
        }
    }
}

}  // namespace

bool LoadDemoWindow(rt::ApplicationObject& app, rt::WindowRecord& window) {
    for (int32_t i = 0; i < window.units.Count(); ++i) {
        rt::UnitEntryView unit = window.units.View(i);
        if (!unit.Valid() || unit.IsMenuItem() || unit.Object())
            continue;
        const rt::DataTypeInfo* type = app.ResolveType(unit.TypeId());
        auto create = type && type->findOperation ? reinterpret_cast<rt::UnitCreateRoutine>(
                                                        type->findOperation(rt::UNIT_ENTRY_CREATE))
                                                  : nullptr;
        rt::UnitCreateArgs args{};
        args.propertyBlock = unit.TypeData(&args.propertyBlockLength);
        args.windowId = window.id;
        args.unitId = window.units.KeyAt(i);
        args.parent = i == 0 ? 0 : ParentWindowOf(window, unit);
        args.x = unit.Geometry(0);
        args.y = unit.Geometry(1);
        args.width = unit.Geometry(2);
        args.height = unit.Geometry(3);
        args.style = unit.Style();
        args.exStyle = unit.ExStyle();
        rt::WindowObject* object = create ? create(&args) : nullptr;
        if (!object) {
            Unload(window, i);
            return false;
        }
        window.units.View(i).SetObject(object);
    }
    rt::UnitEntryView self = window.units.View(0);
    return rt::RebuildWindowMenuBar(window, self.Object()->Handle());
}

}  // namespace demo
