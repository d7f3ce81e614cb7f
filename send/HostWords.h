#pragma once

#include <string>
#include <vector>

// What a word of the command line looks like to a reader who expects hosts: a dotted IPv4
// address, a name of letters, digits, dots, hyphens and underscores, or a comma list of
// them.

bool IsIpv4Address(const std::string& word);

// All digits: never a host name (a value that lost its option, as in "--spool 100").
bool IsNumber(const std::string& word);

// A host name or an IPv4 address.
bool IsHostName(const std::string& word);

// A name with at least one letter: the kind of word that may be a host or plain text.
bool IsNameWithLetter(const std::string& word);

// Whether the word holds a comma and every part of it is a host.
bool IsHostList(const std::string& word);

// The parts of a comma list (a single host gives itself); empty parts are kept, so that
// the caller can refuse them.
std::vector<std::string> SplitHostList(const std::string& word);

// Adds the hosts of a word (a comma list names several), each once; false, with the
// first part that is not a host in `bad`, when there is one.
bool AddHosts(const std::string& word, std::vector<std::string>& hosts, std::string& bad);
