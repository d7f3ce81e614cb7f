#pragma once

#include "info/PathText.h"
#include "info/VersionInfoSources.h"

#include <cstdint>
#include <string>

// Who the program is and where it runs: its version record, its path and the Windows
// version, read from the sources on the first request and kept from then on. Used from
// the user-interface thread only, so the plain read flag needs no lock.
class VersionInfoCache {
public:
    VersionInfoCache(VersionRecordSource& record, OsInfoSource& os,
                     IsLeadByteFunction isLeadByte = NoLeadBytes);

    // Reads everything once; later calls return at once, whatever the first one found.
    void ReadVersionInfo();

    // Each getter reads first and hands out a copy. The number getters skip null
    // pointers.
    std::string GetProductName();
    std::string GetVersionString();
    std::string GetLegalCopyright();
    std::string GetCompanyName();
    std::string GetSpecialBuild();
    std::string GetShortVersion();
    void GetVersionNumbers(std::int32_t* part1, std::int32_t* part2, std::int32_t* part3,
                           std::int32_t* part4);
    void GetMajorMinorVersion(std::int32_t* major, std::int32_t* minor);
    std::string GetModulePath();
    std::string GetModuleDirectory();
    std::int32_t GetOSVersionCode();
    std::string GetOSName();

private:
    bool ReadProgramPath(std::string& path);
    void ReadRecord(const std::string& path);
    void ReadProductVersion();
    void ReadStringEntries();
    void StoreModulePath(const std::string& path);
    void ReadOs();

    VersionRecordSource& record_;
    OsInfoSource& os_;
    IsLeadByteFunction isLeadByte_;

    std::int32_t parts_[4] = {0, 0, 0, 0};
    bool read_ = false;
    std::int32_t osCode_ = 0;
    std::string moduleDirectory_;
    std::string modulePath_;
    std::string shortVersion_;
    std::string versionString_;
    std::string productName_;
    std::string companyName_;
    std::string legalCopyright_;
    std::string specialBuild_;
    std::string osName_ = "none";
};
