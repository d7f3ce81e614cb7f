#pragma once

#include "framework/WinApp.h"

class CTidemarkApp : public CWinApp {
public:
    BOOL InitInstance() override;

protected:
    const CommandMap* GetCommandMap() const override;
};

extern CTidemarkApp theApp;
