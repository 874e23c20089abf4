#pragma once

// Maps the layout's Windows faces to installed ones: 宋体 to AR PL UMing CN,
// Arial to Liberation Sans, MS Sans Serif to a sans face. Behind each stand
// the CJK faces, so a character the first face lacks (Chinese in a Latin
// face, a rare character in UMing) is drawn from the next face that has it.
// Call once at start-up, before any text is measured.
void installFontSubstitutions();
