#include "wizard/wizard.h"

#include "app/message_box.h"

int RunWizard(WizardContext&) {
    ShowErrorBox(L"設定ウィザードはこの版ではまだ使えません");
    return 0;
}
