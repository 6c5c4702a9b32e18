#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A small file-backed registry in place of the system registry: typed values
// grouped under keys, kept in one text file ("registry.txt" in the save
// directory unless SetRegistryPath says otherwise). Writers take an exclusive
// lock on "<file>.lock", re-read the file, change it and replace it atomically,
// so another process (the network service's stand-in) can write alongside.
// The file is read only as a regular file, never through a link at its name;
// a pipe, a directory or a link there is told on standard error and reads as
// empty.
//
// File format, one entry per line, '#' starts a comment line:
//   [HKLM\SOFTWARE\Some\Key]
//   Name=dword:00000001        4-byte value, 8 hex digits
//   Name=qword:0000000000000001
//   Name=sz:any text to the end of the line
//   Name=hex:01,02,ff          raw bytes
// Key and value names are matched case-insensitively. Lines that do not parse
// are skipped; a value line whose value does not parse is kept aside as its
// text, so that a reader can say which value it could not use.
namespace plat {

enum class RegType : uint8_t { Dword, Qword, String, Binary };

struct RegValue {
  RegType type = RegType::Binary;
  std::vector<uint8_t> data;  // little-endian for Dword/Qword, raw text for String

  static RegValue Dword(uint32_t v);
  static RegValue Qword(uint64_t v);
  static RegValue String(std::string_view s);
  static RegValue Binary(std::vector<uint8_t> bytes);
  bool operator==(const RegValue&) const = default;
};

// Case-insensitive ordering for key and value names.
struct RegNameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
using RegValues = std::map<std::string, RegValue, RegNameLess>;
using RegTree = std::map<std::string, RegValues, RegNameLess>;

// Value lines under a key whose value does not parse: name -> the text after '='.
using RegUnreadable = std::map<std::string, std::map<std::string, std::string, RegNameLess>, RegNameLess>;

// Parses the file text; never fails (bad lines are skipped, and value lines
// with a value that does not parse go to *unreadable when given).
RegTree ParseRegistryText(std::string_view text, RegUnreadable* unreadable = nullptr);
std::string FormatRegistryText(const RegTree& tree);

// Host path of the registry file; "" restores the default (save directory).
std::string RegistryPath();
void SetRegistryPath(const std::string& path);

// One opened key. Reading takes a snapshot at Open; writing goes to the file
// at once (one locked read-modify-replace per call).
class RegKey {
 public:
  // forWriting: the file's directory must be creatable; reading never fails
  // on a missing or unreadable file (the key is then empty). Writing refuses
  // to replace a file that is too large or cannot be read.
  bool Open(std::string_view keyPath, bool forWriting);
  void Close();

  std::optional<RegValue> Read(std::string_view name) const;
  // Only a value stored as a 4-byte word is accepted.
  bool ReadDword(std::string_view name, uint32_t* out) const;
  // The value's text as the file has it ("qword:...", or a line that did not
  // parse, such as "dword:-0000001"); nothing when the key has no such name.
  std::optional<std::string> ReadText(std::string_view name) const;

  bool Write(std::string_view name, const RegValue& value);
  bool WriteDword(std::string_view name, uint32_t value) { return Write(name, RegValue::Dword(value)); }
  // Several values in one locked update.
  bool WriteMany(const std::vector<std::pair<std::string, RegValue>>& values);

 private:
  bool open_ = false;
  bool forWriting_ = false;
  std::string key_;
  std::string path_;
  RegValues snapshot_;
  std::map<std::string, std::string, RegNameLess> unreadable_;
};

}  // namespace plat
