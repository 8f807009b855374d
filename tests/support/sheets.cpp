#include "support/sheets.h"

namespace marlo::test {

std::string SmallSheetTable(const std::string& image) {
    return "!table\r\n!version 300\r\nDefinition Table\r\n  File \"" + image +
           "\"\r\n  (100,900) (0,0) Label \"a\",\r\n  (180,900) (40,0) Label \"b\",\r\n"
           "  (180,840) (40,30) Label \"c\"\r\n";
}

std::string Cs92SheetTable(const std::string& image) {
    return "!table\r\n!version 300\r\n!charset WindowsLatin2\r\n\r\nDefinition Table\r\n"
           "  File \"" +
           image +
           "\"\r\n  Type \"RASTER\"\r\n"
           "  (500000,6000000) (0,0) Label \"Pt 1\",\r\n"
           "  (500400,6000000) (40,0) Label \"Pt 2\",\r\n"
           "  (500400,5999700) (40,30) Label \"Pt 3\"\r\n";
}

}  // namespace marlo::test
