#include "common/FoldUpper.h"

namespace sonkora {

char FoldUpperChar(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    switch (b) {
        case 132:
        case 133:
        case 134:
        case 142:
        case 143:
        case 160: return 'A';
        case 130:
        case 136:
        case 137:
        case 138:
        case 144: return 'E';
        case 139:
        case 140:
        case 141:
        case 161: return 'I';
        case 147:
        case 148:
        case 149:
        case 153:
        case 162: return 'O';
        case 129:
        case 150:
        case 151:
        case 154:
        case 163: return 'U';
        default: break;
    }
    if (b >= 'a' && b <= 'z') {
        return static_cast<char>(b - 'a' + 'A');
    }
    return byte;
}

std::string FoldUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = FoldUpperChar(c);
    }
    return out;
}

}  // namespace sonkora
