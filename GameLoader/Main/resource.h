// Resource ids of vrk_main.exe, shared by the resource script and the code
// that loads them. The skin archive's id is part of the skin contract.
#pragma once

#define IDI_VORKAN 107        // application icon: window, taskbar, shortcut
#define IDI_VORKAN_SMALL 108  // the same crest drawn for 16 to 32 pixels
#define IDR_SKIN_ZIP 130      // "ZIPRES": skin.zip with both layouts and their images
#define IDR_APP_MANIFEST 1    // RT_MANIFEST: the id the loader reads for a program
