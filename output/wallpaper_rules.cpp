#include "output/wallpaper_rules.h"

const char16_t kWallpaperNoPage[] = u"Image not successfully loaded. Can\u2019t set as desktop background.";
const char16_t kWallpaperRegistryFailed[] = u"Failed to set desktop background (error code %d)";

WallpaperPlacement wallpaper_placement(int which) {
    switch (which) {
    case 1: return {u"1", u"0"};
    case 2: return {u"0", u"2"};
    default: return {u"0", u"0"};
    }
}

Text16 wallpaper_company_folder(const char16_t* app_data) { return text_printf(u"%s\\ZEB", app_data); }

Text16 wallpaper_product_folder(const char16_t* app_data) { return text_printf(u"%s\\ZEB\\Vellarion", app_data); }

Text16 wallpaper_bitmap_path(const char16_t* folder) { return text_printf(u"%s\\Vellarion Wallpaper.bmp", folder); }
