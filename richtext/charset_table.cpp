// The calculator character set (TI-89 / TI-92 Plus) and the Unicode text the
// program shows for each code. Generated from the project's character table;
// keep both in step.
#include "richtext/charset_table.h"

namespace tessaline::charset {

const std::array<CodeEntry, 256>& codeTable()
{
    static const std::array<CodeEntry, 256> table = {{
        {std::u32string_view(U"\U00002400", 1), {std::u32string_view(U"\U00000000", 1)}},  // 0
        {std::u32string_view(U"\U00002401", 1), {std::u32string_view(U"\U00000001", 1)}},  // 1
        {std::u32string_view(U"\U00002402", 1), {std::u32string_view(U"\U00000002", 1)}},  // 2
        {std::u32string_view(U"\U00002403", 1), {std::u32string_view(U"\U00000003", 1)}},  // 3
        {std::u32string_view(U"\U00002404", 1), {std::u32string_view(U"\U00000004", 1)}},  // 4
        {std::u32string_view(U"\U00002405", 1), {std::u32string_view(U"\U00000005", 1)}},  // 5
        {std::u32string_view(U"\U00002406", 1), {std::u32string_view(U"\U00000006", 1)}},  // 6
        {std::u32string_view(U"\U00002407", 1), {std::u32string_view(U"\U00000007", 1)}},  // 7
        {std::u32string_view(U"\U0000232B", 1), {std::u32string_view(U"\U00000008", 1)}},  // 8
        {std::u32string_view(U"\U00000009", 1), {}},  // 9
        {std::u32string_view(U"\U0000000A", 1), {}},  // 10
        {std::u32string_view(U"\U00002934", 1), {}},  // 11
        {std::u32string_view(U"\U0000219F", 1), {std::u32string_view(U"\U0000000C", 1)}},  // 12
        {std::u32string_view(U"\U0000000D", 1), {}},  // 13
        {std::u32string_view(U"\U00002693", 1), {}},  // 14
        {std::u32string_view(U"\U00002713", 1), {}},  // 15
        {std::u32string_view(U"\U000025FE", 1), {}},  // 16
        {std::u32string_view(U"\U000025C2", 1), {}},  // 17
        {std::u32string_view(U"\U000025B8", 1), {}},  // 18
        {std::u32string_view(U"\U000025B4", 1), {}},  // 19
        {std::u32string_view(U"\U000025BE", 1), {}},  // 20
        {std::u32string_view(U"\U00002190", 1), {}},  // 21
        {std::u32string_view(U"\U00002192", 1), {}},  // 22
        {std::u32string_view(U"\U00002191", 1), {}},  // 23
        {std::u32string_view(U"\U00002193", 1), {}},  // 24
        {std::u32string_view(U"\U000025C0", 1), {}},  // 25
        {std::u32string_view(U"\U000025B6", 1), {}},  // 26
        {std::u32string_view(U"\U00002B06", 1), {}},  // 27
        {std::u32string_view(U"\U0000222A", 1), {}},  // 28
        {std::u32string_view(U"\U00002229", 1), {}},  // 29
        {std::u32string_view(U"\U00002282", 1), {}},  // 30
        {std::u32string_view(U"\U00002208", 1), {}},  // 31
        {std::u32string_view(U"\U00000020", 1), {}},  // 32
        {std::u32string_view(U"\U00000021", 1), {}},  // 33
        {std::u32string_view(U"\U00000022", 1), {}},  // 34
        {std::u32string_view(U"\U00000023", 1), {}},  // 35
        {std::u32string_view(U"\U00000024", 1), {}},  // 36
        {std::u32string_view(U"\U00000025", 1), {}},  // 37
        {std::u32string_view(U"\U00000026", 1), {}},  // 38
        {std::u32string_view(U"\U00000027", 1), {}},  // 39
        {std::u32string_view(U"\U00000028", 1), {}},  // 40
        {std::u32string_view(U"\U00000029", 1), {}},  // 41
        {std::u32string_view(U"\U0000002A", 1), {}},  // 42
        {std::u32string_view(U"\U0000002B", 1), {}},  // 43
        {std::u32string_view(U"\U0000002C", 1), {}},  // 44
        {std::u32string_view(U"\U0000002D", 1), {}},  // 45
        {std::u32string_view(U"\U0000002E", 1), {}},  // 46
        {std::u32string_view(U"\U0000002F", 1), {}},  // 47
        {std::u32string_view(U"\U00000030", 1), {}},  // 48
        {std::u32string_view(U"\U00000031", 1), {}},  // 49
        {std::u32string_view(U"\U00000032", 1), {}},  // 50
        {std::u32string_view(U"\U00000033", 1), {}},  // 51
        {std::u32string_view(U"\U00000034", 1), {}},  // 52
        {std::u32string_view(U"\U00000035", 1), {}},  // 53
        {std::u32string_view(U"\U00000036", 1), {}},  // 54
        {std::u32string_view(U"\U00000037", 1), {}},  // 55
        {std::u32string_view(U"\U00000038", 1), {}},  // 56
        {std::u32string_view(U"\U00000039", 1), {}},  // 57
        {std::u32string_view(U"\U0000003A", 1), {}},  // 58
        {std::u32string_view(U"\U0000003B", 1), {}},  // 59
        {std::u32string_view(U"\U0000003C", 1), {}},  // 60
        {std::u32string_view(U"\U0000003D", 1), {}},  // 61
        {std::u32string_view(U"\U0000003E", 1), {}},  // 62
        {std::u32string_view(U"\U0000003F", 1), {}},  // 63
        {std::u32string_view(U"\U00000040", 1), {}},  // 64
        {std::u32string_view(U"\U00000041", 1), {}},  // 65
        {std::u32string_view(U"\U00000042", 1), {}},  // 66
        {std::u32string_view(U"\U00000043", 1), {}},  // 67
        {std::u32string_view(U"\U00000044", 1), {}},  // 68
        {std::u32string_view(U"\U00000045", 1), {}},  // 69
        {std::u32string_view(U"\U00000046", 1), {}},  // 70
        {std::u32string_view(U"\U00000047", 1), {}},  // 71
        {std::u32string_view(U"\U00000048", 1), {}},  // 72
        {std::u32string_view(U"\U00000049", 1), {}},  // 73
        {std::u32string_view(U"\U0000004A", 1), {}},  // 74
        {std::u32string_view(U"\U0000004B", 1), {}},  // 75
        {std::u32string_view(U"\U0000004C", 1), {}},  // 76
        {std::u32string_view(U"\U0000004D", 1), {}},  // 77
        {std::u32string_view(U"\U0000004E", 1), {}},  // 78
        {std::u32string_view(U"\U0000004F", 1), {}},  // 79
        {std::u32string_view(U"\U00000050", 1), {}},  // 80
        {std::u32string_view(U"\U00000051", 1), {}},  // 81
        {std::u32string_view(U"\U00000052", 1), {}},  // 82
        {std::u32string_view(U"\U00000053", 1), {}},  // 83
        {std::u32string_view(U"\U00000054", 1), {}},  // 84
        {std::u32string_view(U"\U00000055", 1), {}},  // 85
        {std::u32string_view(U"\U00000056", 1), {}},  // 86
        {std::u32string_view(U"\U00000057", 1), {}},  // 87
        {std::u32string_view(U"\U00000058", 1), {}},  // 88
        {std::u32string_view(U"\U00000059", 1), {}},  // 89
        {std::u32string_view(U"\U0000005A", 1), {}},  // 90
        {std::u32string_view(U"\U0000005B", 1), {}},  // 91
        {std::u32string_view(U"\U0000005C", 1), {}},  // 92
        {std::u32string_view(U"\U0000005D", 1), {}},  // 93
        {std::u32string_view(U"\U0000005E", 1), {}},  // 94
        {std::u32string_view(U"\U0000005F", 1), {}},  // 95
        {std::u32string_view(U"\U00000060", 1), {}},  // 96
        {std::u32string_view(U"\U00000061", 1), {}},  // 97
        {std::u32string_view(U"\U00000062", 1), {}},  // 98
        {std::u32string_view(U"\U00000063", 1), {}},  // 99
        {std::u32string_view(U"\U00000064", 1), {}},  // 100
        {std::u32string_view(U"\U00000065", 1), {}},  // 101
        {std::u32string_view(U"\U00000066", 1), {}},  // 102
        {std::u32string_view(U"\U00000067", 1), {}},  // 103
        {std::u32string_view(U"\U00000068", 1), {}},  // 104
        {std::u32string_view(U"\U00000069", 1), {}},  // 105
        {std::u32string_view(U"\U0000006A", 1), {}},  // 106
        {std::u32string_view(U"\U0000006B", 1), {}},  // 107
        {std::u32string_view(U"\U0000006C", 1), {}},  // 108
        {std::u32string_view(U"\U0000006D", 1), {}},  // 109
        {std::u32string_view(U"\U0000006E", 1), {}},  // 110
        {std::u32string_view(U"\U0000006F", 1), {}},  // 111
        {std::u32string_view(U"\U00000070", 1), {}},  // 112
        {std::u32string_view(U"\U00000071", 1), {}},  // 113
        {std::u32string_view(U"\U00000072", 1), {}},  // 114
        {std::u32string_view(U"\U00000073", 1), {}},  // 115
        {std::u32string_view(U"\U00000074", 1), {}},  // 116
        {std::u32string_view(U"\U00000075", 1), {}},  // 117
        {std::u32string_view(U"\U00000076", 1), {}},  // 118
        {std::u32string_view(U"\U00000077", 1), {}},  // 119
        {std::u32string_view(U"\U00000078", 1), {}},  // 120
        {std::u32string_view(U"\U00000079", 1), {}},  // 121
        {std::u32string_view(U"\U0000007A", 1), {}},  // 122
        {std::u32string_view(U"\U0000007B", 1), {}},  // 123
        {std::u32string_view(U"\U0000007C", 1), {}},  // 124
        {std::u32string_view(U"\U0000007D", 1), {}},  // 125
        {std::u32string_view(U"\U0000007E", 1), {}},  // 126
        {std::u32string_view(U"\U000025C6", 1), {}},  // 127
        {std::u32string_view(U"\U000003B1", 1), {}},  // 128
        {std::u32string_view(U"\U000003B2", 1), {}},  // 129
        {std::u32string_view(U"\U00000393", 1), {}},  // 130
        {std::u32string_view(U"\U000003B3", 1), {}},  // 131
        {std::u32string_view(U"\U00000394", 1), {}},  // 132
        {std::u32string_view(U"\U000003B4", 1), {}},  // 133
        {std::u32string_view(U"\U000003B5", 1), {}},  // 134
        {std::u32string_view(U"\U000003B6", 1), {}},  // 135
        {std::u32string_view(U"\U000003B8", 1), {}},  // 136
        {std::u32string_view(U"\U000003BB", 1), {}},  // 137
        {std::u32string_view(U"\U000003BE", 1), {}},  // 138
        {std::u32string_view(U"\U000003A0", 1), {}},  // 139
        {std::u32string_view(U"\U000003C0", 1), {}},  // 140
        {std::u32string_view(U"\U000003C1", 1), {}},  // 141
        {std::u32string_view(U"\U000003A3", 1), {}},  // 142
        {std::u32string_view(U"\U000003C3", 1), {}},  // 143
        {std::u32string_view(U"\U000003C4", 1), {}},  // 144
        {std::u32string_view(U"\U000003C6", 1), {}},  // 145
        {std::u32string_view(U"\U000003C8", 1), {}},  // 146
        {std::u32string_view(U"\U000003A9", 1), {}},  // 147
        {std::u32string_view(U"\U000003C9", 1), {}},  // 148
        {std::u32string_view(U"\U00001D07", 1), {std::u32string_view(U"\U0001D5A4", 1), std::u32string_view(U"\U0002D5A4", 1)}},  // 149
        {std::u32string_view(U"\U0000212F", 1), {}},  // 150
        {std::u32string_view(U"\U00002148", 1), {std::u32string_view(U"\U0001D48A", 1), std::u32string_view(U"\U0002D48A", 1)}},  // 151
        {std::u32string_view(U"\U000002B3", 1), {}},  // 152
        {std::u32string_view(U"\U000022BA", 1), {}},  // 153
        {std::u32string_view(U"\U00000078\U00000305", 2), {std::u32string_view(U"\U00000078\U00000304", 2)}},  // 154
        {std::u32string_view(U"\U00000079\U00000305", 2), {std::u32string_view(U"\U00000079\U00000304", 2)}},  // 155
        {std::u32string_view(U"\U00002264", 1), {}},  // 156
        {std::u32string_view(U"\U00002260", 1), {}},  // 157
        {std::u32string_view(U"\U00002265", 1), {}},  // 158
        {std::u32string_view(U"\U00002220", 1), {}},  // 159
        {std::u32string_view(U"\U00002026", 1), {}},  // 160
        {std::u32string_view(U"\U000000A1", 1), {}},  // 161
        {std::u32string_view(U"\U000000A2", 1), {}},  // 162
        {std::u32string_view(U"\U000000A3", 1), {}},  // 163
        {std::u32string_view(U"\U000000A4", 1), {}},  // 164
        {std::u32string_view(U"\U000000A5", 1), {}},  // 165
        {std::u32string_view(U"\U000000A6", 1), {}},  // 166
        {std::u32string_view(U"\U000000A7", 1), {}},  // 167
        {std::u32string_view(U"\U0000221A", 1), {}},  // 168
        {std::u32string_view(U"\U000000A9", 1), {}},  // 169
        {std::u32string_view(U"\U000000AA", 1), {}},  // 170
        {std::u32string_view(U"\U000000AB", 1), {}},  // 171
        {std::u32string_view(U"\U000000AC", 1), {}},  // 172
        {std::u32string_view(U"\U00002212", 1), {}},  // 173
        {std::u32string_view(U"\U000000AE", 1), {}},  // 174
        {std::u32string_view(U"\U000000AF", 1), {}},  // 175
        {std::u32string_view(U"\U000000B0", 1), {}},  // 176
        {std::u32string_view(U"\U000000B1", 1), {}},  // 177
        {std::u32string_view(U"\U000000B2", 1), {}},  // 178
        {std::u32string_view(U"\U000000B3", 1), {}},  // 179
        {std::u32string_view(U"\U000000B4", 1), {}},  // 180
        {std::u32string_view(U"\U000000B5", 1), {}},  // 181
        {std::u32string_view(U"\U000000B6", 1), {}},  // 182
        {std::u32string_view(U"\U000000B7", 1), {}},  // 183
        {std::u32string_view(U"\U0000207A", 1), {}},  // 184
        {std::u32string_view(U"\U000000B9", 1), {}},  // 185
        {std::u32string_view(U"\U000000BA", 1), {}},  // 186
        {std::u32string_view(U"\U000000BB", 1), {}},  // 187
        {std::u32string_view(U"\U00002202", 1), {}},  // 188
        {std::u32string_view(U"\U0000222B", 1), {}},  // 189
        {std::u32string_view(U"\U0000221E", 1), {}},  // 190
        {std::u32string_view(U"\U000000BF", 1), {}},  // 191
        {std::u32string_view(U"\U000000C0", 1), {}},  // 192
        {std::u32string_view(U"\U000000C1", 1), {}},  // 193
        {std::u32string_view(U"\U000000C2", 1), {}},  // 194
        {std::u32string_view(U"\U000000C3", 1), {}},  // 195
        {std::u32string_view(U"\U000000C4", 1), {}},  // 196
        {std::u32string_view(U"\U000000C5", 1), {}},  // 197
        {std::u32string_view(U"\U000000C6", 1), {}},  // 198
        {std::u32string_view(U"\U000000C7", 1), {}},  // 199
        {std::u32string_view(U"\U000000C8", 1), {}},  // 200
        {std::u32string_view(U"\U000000C9", 1), {}},  // 201
        {std::u32string_view(U"\U000000CA", 1), {}},  // 202
        {std::u32string_view(U"\U000000CB", 1), {}},  // 203
        {std::u32string_view(U"\U000000CC", 1), {}},  // 204
        {std::u32string_view(U"\U000000CD", 1), {}},  // 205
        {std::u32string_view(U"\U000000CE", 1), {}},  // 206
        {std::u32string_view(U"\U000000CF", 1), {}},  // 207
        {std::u32string_view(U"\U000000D0", 1), {}},  // 208
        {std::u32string_view(U"\U000000D1", 1), {}},  // 209
        {std::u32string_view(U"\U000000D2", 1), {}},  // 210
        {std::u32string_view(U"\U000000D3", 1), {}},  // 211
        {std::u32string_view(U"\U000000D4", 1), {}},  // 212
        {std::u32string_view(U"\U000000D5", 1), {}},  // 213
        {std::u32string_view(U"\U000000D6", 1), {}},  // 214
        {std::u32string_view(U"\U000000D7", 1), {}},  // 215
        {std::u32string_view(U"\U000000D8", 1), {}},  // 216
        {std::u32string_view(U"\U000000D9", 1), {}},  // 217
        {std::u32string_view(U"\U000000DA", 1), {}},  // 218
        {std::u32string_view(U"\U000000DB", 1), {}},  // 219
        {std::u32string_view(U"\U000000DC", 1), {}},  // 220
        {std::u32string_view(U"\U000000DD", 1), {}},  // 221
        {std::u32string_view(U"\U000000DE", 1), {}},  // 222
        {std::u32string_view(U"\U000000DF", 1), {}},  // 223
        {std::u32string_view(U"\U000000E0", 1), {}},  // 224
        {std::u32string_view(U"\U000000E1", 1), {}},  // 225
        {std::u32string_view(U"\U000000E2", 1), {}},  // 226
        {std::u32string_view(U"\U000000E3", 1), {}},  // 227
        {std::u32string_view(U"\U000000E4", 1), {}},  // 228
        {std::u32string_view(U"\U000000E5", 1), {}},  // 229
        {std::u32string_view(U"\U000000E6", 1), {}},  // 230
        {std::u32string_view(U"\U000000E7", 1), {}},  // 231
        {std::u32string_view(U"\U000000E8", 1), {}},  // 232
        {std::u32string_view(U"\U000000E9", 1), {}},  // 233
        {std::u32string_view(U"\U000000EA", 1), {}},  // 234
        {std::u32string_view(U"\U000000EB", 1), {}},  // 235
        {std::u32string_view(U"\U000000EC", 1), {}},  // 236
        {std::u32string_view(U"\U000000ED", 1), {}},  // 237
        {std::u32string_view(U"\U000000EE", 1), {}},  // 238
        {std::u32string_view(U"\U000000EF", 1), {}},  // 239
        {std::u32string_view(U"\U000000F0", 1), {}},  // 240
        {std::u32string_view(U"\U000000F1", 1), {}},  // 241
        {std::u32string_view(U"\U000000F2", 1), {}},  // 242
        {std::u32string_view(U"\U000000F3", 1), {}},  // 243
        {std::u32string_view(U"\U000000F4", 1), {}},  // 244
        {std::u32string_view(U"\U000000F5", 1), {}},  // 245
        {std::u32string_view(U"\U000000F6", 1), {}},  // 246
        {std::u32string_view(U"\U000000F7", 1), {}},  // 247
        {std::u32string_view(U"\U000000F8", 1), {}},  // 248
        {std::u32string_view(U"\U000000F9", 1), {}},  // 249
        {std::u32string_view(U"\U000000FA", 1), {}},  // 250
        {std::u32string_view(U"\U000000FB", 1), {}},  // 251
        {std::u32string_view(U"\U000000FC", 1), {}},  // 252
        {std::u32string_view(U"\U000000FD", 1), {}},  // 253
        {std::u32string_view(U"\U000000FE", 1), {}},  // 254
        {std::u32string_view(U"\U000000FF", 1), {}},  // 255
    }};
    return table;
}

}  // namespace tessaline::charset
