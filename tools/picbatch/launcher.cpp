#include "tools/picbatch/launcher.h"

#include "app/application.h"
#include "app/external_routines.h"
#include "corelib/commands/core_library.h"
#include "corelib/pictures/picture_hooks.h"
#include "corelib/sound/sound_hooks.h"
#include "corelib/units/core_unit_types.h"
#include "libs/desktop/droptarget/drop_target_library.h"
#include "libs/desktop/shell/shell_library.h"
#include "libs/desktop/skin/skin_library.h"
#include "libs/desktop/threads/thread_library.h"
#include "libs/imageconv/library_notify.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/message_box_dialog.h"
#include "platform/msgbox/message_box.h"
#include "runtime/application_object.h"
#include "runtime/cleanup/cleanup_hooks.h"
#include "runtime/framework/window_description.h"
#include "runtime/framework/window_framework.h"
#include "runtime/input/pre_translate.h"
#include "runtime/menubar/menu_bar_hooks.h"

namespace picbatch {
namespace {

// Library 1 defines no data types; it only keeps the system's entry.
const rt::LibraryInfo kConversionLibrary = {"imageconv", 0, nullptr, &imageconv::LibraryNotify};

void RegisterLibraries() {
    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    app.SetLibrary(0, &corelib::CoreLibraryInfo());
    app.SetLibrary(1, &kConversionLibrary);
    app.SetLibrary(desktop::kThreadLibraryNumber, &desktop::ThreadLibraryInfo());
    app.SetLibrary(desktop::kShellLibraryNumber, &desktop::ShellLibraryInfo());
    app.SetLibrary(desktop::kDropTargetLibraryNumber, &desktop::DropTargetLibraryInfo());
    app.SetLibrary(6, &desktop::SkinLibraryInfo());
}

}  // namespace

void StartRuntime(MessageBoxes boxes) {
    if (boxes == MessageBoxes::Dialogs)
        platform::SetMessageBoxPresenter(&platform::dialogs::ShowMessageBoxDialog);
    platform::RegisterStandardControls();
    corelib::units::InstallCoreUnitTypes();
    RegisterLibraries();
    rt::InstallWindowFramework();
    rt::InstallInputHooks();
    rt::InstallMenuBarHooks();
    rt::InstallCleanupHooks();
    corelib::InstallSoundHooks();
    corelib::InstallPictureHooks();
    rt::StartRuntimeSystem();
    app::InstallExternalRoutines();
    int32_t count = 0;
    const rt::WindowDescription* const* descriptions = app::WindowDescriptions(&count);
    rt::SetWindowDescriptions(descriptions, count);
}

void EndRuntime(int exitCode) {
    rt::ApplicationObject::Instance().ShutdownRuntime(exitCode);
}

}  // namespace picbatch
