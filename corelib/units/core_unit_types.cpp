#include "corelib/units/core_unit_types.h"

#include "corelib/commands/core_commands.h"
#include "corelib/commands/core_library.h"
#include "corelib/units/dialog_unit.h"
#include "corelib/units/window_unit.h"
#include "platform/controls/controls.h"

namespace corelib::units {

void InstallCoreUnitTypes() {
    platform::RegisterStandardControls();
    RegisterFormWindowClass();
    for (const CoreUnitType* type :
         {&WindowUnitType(), &LabelType(), &PushButtonType(), &CheckBoxType(), &DropDownListType(),
          &ProgressBarType(), &DialogType()}) {
        DefineCoreType(type->code, rt::DataTypeInfo{type->name, type->flags, type->findOperation,
                                                    type->properties, type->propertyCount});
    }
    SetDialogOpenOperation(DialogOpenOperationOfUnits());
}

}  // namespace corelib::units
