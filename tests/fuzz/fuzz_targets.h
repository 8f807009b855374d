#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// The fuzz targets: each takes any bytes and must neither crash, hang, leak nor break the
// property it checks (it aborts when one breaks). libFuzzer drives each one through
// fuzz_main.cpp; the tests replay the kept corpus and every regression input through them.
namespace marlo::fuzz {

int TableReader(const std::uint8_t* data, std::size_t size);
int WorldFile(const std::uint8_t* data, std::size_t size);
int NumberText(const std::uint8_t* data, std::size_t size);
int TextEncoding(const std::uint8_t* data, std::size_t size);
int ProjectionList(const std::uint8_t* data, std::size_t size);
int AuxFile(const std::uint8_t* data, std::size_t size);
// Marlo's reading of an auxiliary file against GDAL's own XML parser (links GDAL).
int AuxAgainstGdal(const std::uint8_t* data, std::size_t size);
int ImageHeader(const std::uint8_t* data, std::size_t size);
int PelcorRead(const std::uint8_t* data, std::size_t size);
int PelcorWrite(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;
    int (*run)(const std::uint8_t*, std::size_t);
};
inline void PrintTo(const Target& target, std::ostream* out) {
    *out << target.name;
}
inline const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"table_reader", TableReader},        {"world_file", WorldFile},
        {"number_text", NumberText},          {"text_encoding", TextEncoding},
        {"projection_list", ProjectionList},  {"aux_file", AuxFile},
        {"aux_against_gdal", AuxAgainstGdal}, {"image_header", ImageHeader},
        {"pelcor_read", PelcorRead},          {"pelcor_write", PelcorWrite}};
    return targets;
}

// Stops the process with the property that broke; libFuzzer keeps the input.
[[noreturn]] void Broken(const std::string& what);

// A file of this process's own in the temporary folder, holding the bytes.
std::string Scratch(const std::string& name, const std::uint8_t* data, std::size_t size);

}  // namespace marlo::fuzz
