// Helpers for tests that need files on disk.
#pragma once

#include "dxf/DxfReader.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace orvanta::test {

// A fresh folder under the system temporary folder, removed with its contents at destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to a file of that name in the folder and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path path_;
};

// Joins group pairs given as alternating code and value strings into DXF text with LF ends.
std::string Dxf(std::initializer_list<const char*> lines);

// Reads DXF text through a temporary file with the given encoding.
Drawing ReadText(const std::string& dxf, TextEncoding encoding = TextEncoding::Utf8);

// A file of the project, from its source folder.
std::filesystem::path SourcePath(const std::string& relative);
// The folder of public sample drawings; empty when absent.
std::filesystem::path SharedSamples();

// Feeds the bytes of every input of the fuzzer corpus fuzz/corpus/`target` to `harness`, as the
// fuzzer would; returns how many there were.
int ReplayFuzzCorpus(const std::string& target,
                     const std::function<void(const std::uint8_t*, std::size_t)>& harness);

} // namespace orvanta::test
