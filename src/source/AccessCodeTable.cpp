#include "source/AccessCodeTable.h"

namespace quibrant {

// The access codes the vendor has handed out, grouped by the build category
// each one grants. Order matters: when a code stands twice, the later entry
// decides. Category 0 withdraws a code.
const AccessCodeTable& builtInAccessCodeTable() {
    static const AccessCodeTable table = {
        {"BNK6Q", 1},     {"WLTA7", 1},     {"V37R5", 1},    {"28RLU", 1},      {"RY5YC", 1},

        {"3JSMTVEW", 0},

        {"GKKA5", 3},     {"7CBPU", 3},     {"32FTS", 3},    {"32RGK", 3},

        {"6CDRC", 4},     {"C4Z6C", 4},     {"PJHBL8", 4},   {"PN9UX", 4},      {"3F4H4", 4},

        {"Z3EWSMB", 6},   {"R5LG", 6},      {"A6X6A", 6},    {"C5TTE", 6},

        {"5KR7X", 7},     {"A7XNV2", 7},    {"G38GP", 7},

        {"V5F6", 987},

        {"2MGQE", 988},

        {"L8S8X", 989},   {"HBAG2GG", 989}, {"6HFCC", 989},  {"CTG7T", 989},    {"LC7R", 989},
        {"5VYQT", 989},   {"DBG9Q", 989},   {"WF58B", 989},  {"5DEEQ", 989},    {"3JV26", 989},

        {"A9VG", 991},

        {"YQV3R", 992},

        {"WACL5WH", 994},

        {"UUZ66", 995},

        {"4QYAD9", 996},

        {"R74SDR", 997},

        {"HUH4MC", 998},

        {"VUY6G", 8},     {"B2R9G", 8},     {"65QTU", 8},

        {"QBYF3", 9},     {"9LJFC", 9},     {"BDU2", 9},     {"8ANU", 9},       {"BSQT3", 9},
        {"BV4N8", 9},     {"67BY", 9},      {"3W8ZZ", 9},

        {"D64WE", 10},    {"CJ4CP", 10},    {"6JTT", 10},    {"D9NPT", 10},     {"933XC", 10},
        {"NU8LM", 10},    {"8QYRF", 10},    {"R5ZWM", 10},

        {"EMF6M", 11},    {"3VU7W", 11},    {"UYU65", 11},   {"4N4UA", 11},     {"6DDD8K", 11},
        {"ACH2", 11},     {"7266UJ", 11},   {"2DQWE", 11},   {"6ZKSW", 11},

        {"5N224", 12},    {"XZD9G", 12},    {"C3HRL", 12},   {"Q8CRS", 12},     {"UF6RV", 12},
        {"974MT", 12},    {"K5M2X", 12},    {"R9TZD", 12},

        {"8NABC", 13},    {"YX7FA", 13},    {"N8H", 13},     {"3GY8", 13},      {"NC229", 13},
        {"53QHT", 13},    {"73TB8", 13},    {"H7R8K", 13},   {"U9W5E", 13},     {"EUA2W", 13},

        {"7NLRVBS", 14},  {"F944Z", 14},    {"YD9RSWX", 14}, {"MSRLZH3RZ", 14}, {"KNJK4", 14},
        {"7EEZF", 14},    {"DLSL7", 14},    {"LB6KT", 14},

        {"JQ23Q", 15},    {"6T5S8", 15},    {"FC43K", 15},   {"U6754", 15},     {"GU25T", 15},
        {"X5TL3", 15},    {"98J3", 15},     {"9KWS3", 15},   {"8J2WF", 15},     {"L6MFA", 15},
        {"9G7CS", 15},    {"TC8ZDB7", 15},  {"HRZ3M", 15},   {"M7PF29", 15},    {"A77MG", 15},
        {"AKR35", 15},    {"EW3ZQ", 15},    {"XRF3", 15},    {"AUS9X", 15},     {"B9K4RM", 15},
        {"D4S5J", 15},    {"3CL3D", 15},    {"GX3VZ", 15},   {"A8MA3", 15},     {"EQYV4", 15},
        {"N725", 15},     {"CB3PP", 15},    {"ZP24A", 15},   {"5WWDP", 15},     {"6CDCT", 15},
        {"B4K4", 15},     {"PY7CX", 15},    {"YAY4", 15},    {"5BDJR", 15},     {"F3UG3", 15},
        {"CSA7F", 15},    {"FWSK4", 15},    {"93SGG", 15},   {"3C6W3", 15},     {"S9NNC", 15},
        {"Y26J2", 15},    {"J2VTQ", 15},    {"RP6Q", 15},    {"LXW9T", 15},     {"Y45HT", 15},
        {"U6AWM", 15},    {"64BNS", 15},    {"VH7MQ", 15},   {"9BH8D", 15},     {"NHMB5", 15},
        {"6C9GW", 15},    {"8PXLW", 15},    {"7UU28", 15},   {"FCKG6", 15},     {"7KD2", 15},
        {"4BRBE", 15},    {"V2LK7", 15},    {"8TEEJ", 15},   {"4RYLBW", 15},    {"GWQ9ABV", 15},
        {"U4YTVZ", 15},   {"58PUR", 15},    {"JGR5Z", 15},   {"ZV85J", 15},     {"3WTJ3", 15},
        {"ADP23", 15},    {"9QHMT", 15},    {"XVDUT4", 15},  {"T6HJ", 15},      {"EQ8J", 15},
        {"MGF52", 15},    {"44CUL", 15},    {"CHUQ6", 15},   {"H8QH6", 15},     {"7UJQU", 15},
        {"UVN28", 15},    {"6KEKH", 15},    {"B6829", 15},   {"7Y26ZJ", 15},    {"KMM9E", 15},
        {"9UQP4H", 15},   {"Y7HKU", 15},    {"RH9AU", 15},   {"889VW", 15},     {"78RLB", 15},
        {"FM7ZN", 15},    {"WL8Q7", 15},    {"RPY9M", 15},   {"X8UF7", 15},     {"Z3Y2T", 15},
        {"M3GFKDAV", 15}, {"BB7RB", 15},    {"D892", 15},    {"H35Q39", 15},    {"8XTFH", 15},
        {"D64HE", 15},
    };
    return table;
}

}  // namespace quibrant
