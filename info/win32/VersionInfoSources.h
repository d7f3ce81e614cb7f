#pragma once

#include "info/VersionInfoSources.h"

#include <windows.h>

#include <vector>

// The version record through version.dll and the program path through kernel32. Reads
// the running program's own file; a derived source may name another file by
// overriding CopyProgramPath.
class Win32VersionRecordSource : public VersionRecordSource {
public:
    std::uint32_t CopyProgramPath(char* buffer, std::uint32_t size) override;
    bool LoadRecord(const std::string& path) override;
    bool QueryFixedProductVersion(std::uint32_t& mostSignificant,
                                  std::uint32_t& leastSignificant) override;
    bool QueryFirstTranslation(std::uint16_t& language, std::uint16_t& codePage) override;
    bool QueryString(const std::string& subBlock, std::string& text) override;
    void FreeRecord() override;

private:
    std::vector<char> block_;
};

// GetVersionExA and GetSystemInfo.
class Win32OsInfoSource : public OsInfoSource {
public:
    bool QueryOsVersion(OsVersionFigures& figures, bool extended) override;
    std::uint16_t GetProcessorArchitecture() override;
};

// IsDBCSLeadByte of the ANSI code page.
bool AnsiIsLeadByte(unsigned char byte);
