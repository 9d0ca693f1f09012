// The maker's addresses, in one place: the resource script's strings and the program's code both
// take them from here. Set them to the maker's real web site and online store before a release.
#pragma once

#define FERROLIN_MAKER_WEB_SITE "https://www.corvant.example/"
#define FERROLIN_MAKER_STORE "https://store.corvant.example/"
#define FERROLIN_MAKER_NOTICE "Copyright (C) Corvant. All rights reserved."
