#include "wizard/shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "wizard/named_setting.h"

bool CreateProgramShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return false;
    WideString folder = ShortcutWorkingDirectory(programPath);
    if (FAILED(link->SetWorkingDirectory(folder.c_str()))) return false;
    if (FAILED(link->SetPath(programPath.c_str()))) return false;
    if (FAILED(link->SetArguments(arguments.c_str()))) return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}
