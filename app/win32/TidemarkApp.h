#pragma once

#include "framework/WinApp.h"

class CTidemarkApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    const CommandMap* GetCommandMap() const override;

private:
    int m_exitCode = 0;
};

extern CTidemarkApp theApp;
