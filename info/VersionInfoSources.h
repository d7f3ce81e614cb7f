#pragma once

#include <cstdint>
#include <string>

// Where the version reader gets its figures. The program implements these over
// version.dll and kernel32; tests implement them over plain values.

// The program file's path and its version record.
class VersionRecordSource {
public:
    virtual ~VersionRecordSource() = default;

    // Like GetModuleFileNameA for the program file: copies the path and a terminating
    // zero into `buffer` and returns the count of characters copied. A path that does
    // not fit is cut and `size` is returned; a failure returns 0.
    virtual std::uint32_t CopyProgramPath(char* buffer, std::uint32_t size) = 0;

    // Loads the version record of the file at `path`; false when it has none or it
    // cannot be read. The queries below work on the record loaded last.
    virtual bool LoadRecord(const std::string& path) = 0;
    // The fixed part's product version (dwProductVersionMS, dwProductVersionLS).
    virtual bool QueryFixedProductVersion(std::uint32_t& mostSignificant,
                                          std::uint32_t& leastSignificant) = 0;
    // The first pair of "\VarFileInfo\Translation".
    virtual bool QueryFirstTranslation(std::uint16_t& language, std::uint16_t& codePage) = 0;
    // A string entry, e.g. "StringFileInfo\040704E4\ProductName"; true only when the
    // record holds it with a nonzero length.
    virtual bool QueryString(const std::string& subBlock, std::string& text) = 0;
    virtual void FreeRecord() = 0;
};

// The figures of GetVersionExA that classify the running Windows.
struct OsVersionFigures {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t platformId = 0;
    std::uint8_t productType = 0;  // only the extended structure carries it
};

class OsInfoSource {
public:
    virtual ~OsInfoSource() = default;

    // GetVersionExA with the extended structure (156 bytes) when `extended`, otherwise
    // with the basic one (148 bytes), which has no product type.
    virtual bool QueryOsVersion(OsVersionFigures& figures, bool extended) = 0;
    // wProcessorArchitecture of GetSystemInfo.
    virtual std::uint16_t GetProcessorArchitecture() = 0;
};
