#pragma once

// Maps the layout's Windows faces to installed ones: 宋体 to AR PL UMing CN,
// Arial to Liberation Sans (Chinese falls back to the CJK face), MS Sans
// Serif to a sans face. Call once at start-up, before any text is measured.
void installFontSubstitutions();
