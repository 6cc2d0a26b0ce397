#include "wizard/shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "app/handles.h"
#include "app/message_box.h"

bool CreateProgramShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments,
                           const WideString& workingDirectory) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return false;
    if (FAILED(link->SetWorkingDirectory(workingDirectory.c_str()))) return false;
    if (FAILED(link->SetPath(programPath.c_str()))) return false;
    if (FAILED(link->SetArguments(arguments.c_str()))) return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}
