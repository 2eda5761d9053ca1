#pragma once
#include <guiddef.h>

// {7E3B59C1-2F4A-4D86-9C1E-5A0B8D3F6E21}: the bench's bare local server.
static const CLSID CLSID_BareServer = {
    0x7E3B59C1, 0x2F4A, 0x4D86, {0x9C, 0x1E, 0x5A, 0x0B, 0x8D, 0x3F, 0x6E, 0x21}};
