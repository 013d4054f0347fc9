// What differs between the desktop and the web besides the window, implemented by each
// platform's file: where the player's files live, how they reach lasting storage, how a web
// address is opened.
#pragma once
#include <string>

// The folder of the state file and its lock ("." on the desktop: the working folder).
const char* kx_platform_StateFolder();
// Called once the state file has been replaced; the web copies it to the browser's storage.
void kx_platform_StateStored();
// Opens the address in the player's browser, without waiting for it.
void kx_platform_OpenUrl(const std::string& url);
