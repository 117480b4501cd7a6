#pragma once
// Making the current page the desktop background, without the platform: the
// registry strings for each placement, where the bitmap goes, and the texts.
#include "base/text.h"

struct WallpaperPlacement {
    const char16_t* tile;   // "TileWallpaper"
    const char16_t* style;  // "WallpaperStyle"
};

// 0 centred, 1 tiled, 2 stretched (the order of the three menu items); any
// other value is taken as centred.
WallpaperPlacement wallpaper_placement(int which);

// The folders tried below the user's application-data folder, in order of
// creation, and the bitmap's path inside the one that is used.
Text16 wallpaper_company_folder(const char16_t* app_data);  // "<app data>\ZEB"
Text16 wallpaper_product_folder(const char16_t* app_data);  // "<app data>\ZEB\Vellarion"
Text16 wallpaper_bitmap_path(const char16_t* folder);       // "<folder>\Vellarion Wallpaper.bmp"

extern const char16_t kWallpaperNoPage[];
extern const char16_t kWallpaperRegistryFailed[];  // %d: system error code
