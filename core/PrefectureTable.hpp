#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quilvex {

// One seat of prefectural government. The coordinates stay text from end to
// end: they go on the line exactly as written here, never through a number.
struct PrefectureRow {
    std::string_view name;  // UTF-8
    std::string_view lat;   // ddmm.ffff..., north
    std::string_view lon;   // dddmm.ffff..., east
    std::string_view latin; // the usual romanisation, for the command line
};

inline constexpr std::size_t kPrefectureSlots = 48;  // slot 0 is the empty "no match" row
inline constexpr int kFirstSlot = 1;
inline constexpr int kLastSlot = 47;
inline constexpr std::string_view kDefaultPrefecture = "東京都";

// In the order of the Japanese prefecture codes, so slot k is code k.
// Two rows carry four fraction digits (福島県 longitude, 愛知県 latitude);
// they are sent as they stand.
inline constexpr std::array<PrefectureRow, kPrefectureSlots> PrefectureTable{{
    {"",         "",            "",             ""},
    {"北海道",   "4303.514500", "14120.504700", "Hokkaido"},
    {"青森県",   "4049.274800", "14044.240900", "Aomori"},
    {"岩手県",   "3942.128700", "14109.096300", "Iwate"},
    {"宮城県",   "3816.076300", "14052.196600", "Miyagi"},
    {"秋田県",   "3943.069900", "14006.085000", "Akita"},
    {"山形県",   "3814.255700", "14021.490800", "Yamagata"},
    {"福島県",   "3745.010800", "14028.0313",   "Fukushima"},
    {"茨城県",   "3620.305200", "14026.484500", "Ibaraki"},
    {"栃木県",   "3633.568000", "13953.007900", "Tochigi"},
    {"群馬県",   "3623.264000", "13903.374600", "Gunma"},
    {"埼玉県",   "3551.264600", "13938.542900", "Saitama"},
    {"千葉県",   "3536.173700", "14007.235000", "Chiba"},
    {"東京都",   "3541.221600", "13941.301400", "Tokyo"},
    {"神奈川県", "3526.510300", "13938.324400", "Kanagawa"},
    {"新潟県",   "3754.090100", "13901.233000", "Niigata"},
    {"富山県",   "3641.429400", "13712.408200", "Toyama"},
    {"石川県",   "3635.408600", "13637.320600", "Ishikawa"},
    {"福井県",   "3603.507500", "13613.169900", "Fukui"},
    {"山梨県",   "3539.517000", "13834.072400", "Yamanashi"},
    {"長野県",   "3639.046700", "13810.514400", "Nagano"},
    {"岐阜県",   "3523.283800", "13643.207000", "Gifu"},
    {"静岡県",   "3458.376300", "13822.591000", "Shizuoka"},
    {"愛知県",   "3510.4896",   "13654.238600", "Aichi"},
    {"三重県",   "3443.489700", "13630.310300", "Mie"},
    {"滋賀県",   "3500.163100", "13552.069300", "Shiga"},
    {"京都府",   "3501.167000", "13545.199400", "Kyoto"},
    {"大阪府",   "3441.100000", "13531.102500", "Osaka"},
    {"兵庫県",   "3441.285700", "13510.590600", "Hyogo"},
    {"奈良県",   "3441.072000", "13549.578700", "Nara"},
    {"和歌山県", "3413.336000", "13510.030300", "Wakayama"},
    {"鳥取県",   "3530.139700", "13414.157300", "Tottori"},
    {"島根県",   "3528.182100", "13303.023000", "Shimane"},
    {"岡山県",   "3439.418800", "13356.032700", "Okayama"},
    {"広島県",   "3423.476600", "13227.344700", "Hiroshima"},
    {"山口県",   "3411.088900", "13128.145300", "Yamaguchi"},
    {"徳島県",   "3403.567100", "13433.334800", "Tokushima"},
    {"香川県",   "3420.245500", "13402.362200", "Kagawa"},
    {"愛媛県",   "3350.298700", "13245.569800", "Ehime"},
    {"高知県",   "3333.349500", "13331.518800", "Kochi"},
    {"福岡県",   "3336.236700", "13025.058700", "Fukuoka"},
    {"佐賀県",   "3314.579200", "13017.590000", "Saga"},
    {"長崎県",   "3244.417300", "12952.249900", "Nagasaki"},
    {"熊本県",   "3247.233800", "13044.300000", "Kumamoto"},
    {"大分県",   "3314.174200", "13136.454300", "Oita"},
    {"宮崎県",   "3154.399500", "13125.260100", "Miyazaki"},
    {"鹿児島県", "3133.365300", "13033.287200", "Kagoshima"},
    {"沖縄県",   "2612.446300", "12740.511400", "Okinawa"},
}};

// The slot whose name equals the text exactly (byte for byte, no trimming or
// folding), or 0 when none does.
int LookupPrefecture(std::string_view text);

// The slot whose romanisation equals the text in any letter case, or 0.
int LookupPrefectureLatin(std::string_view text);

// The slot a typed text names, the same in the window and on the command
// line: the Japanese name, the romanisation in any letter case, or the slot
// number 1 to 47 in digits; 0 for any other text.
int PrefectureSlot(std::string_view text);

}  // namespace quilvex
