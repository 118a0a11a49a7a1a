#include "drive/ErrorText.h"

#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {

std::string ErrorText(std::uint32_t number, std::string_view fileName) {
    const std::string name(fileName);
    switch (number) {
        case 0:
            return "Unknown/No Error!";
        case 1:
            return "Data not prepared ";
        case 2:
            return name.empty() ? "Error opening file" : "Error opening file \\" + name + "\\";
        case 3:
            return name.empty() ? "Error creating file" : "Error creating file \\" + name + "\\";
        case 4:
            return "Aborted by user";
        default:
            return "Hardware Error " + std::to_string(number);
    }
}

std::u16string ErrorTextW(std::uint32_t number, std::string_view fileName) {
    const std::u16string name = CodePageToUtf16(fileName);
    switch (number) {
        case 0:
            return u"Unknown/No Error!";
        case 1:
            return u"Data not prepared";
        case 2:
            return u"Error opening file \\'" + name + u"\\'";
        case 3:
            return name.empty() ? u"Error creating file"
                                : u"Error creating file \\'" + name + u"\\'";
        case 4:
            return u"Aborted by user";
        default:
            return u"Hardware Error \\'" + Decimal(number);
    }
}

}  // namespace quendra
