// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Registers the compiled-in pictures (skin, button faces, track images). Call
// once before any window is created.
void LoadSnipolaResources();
