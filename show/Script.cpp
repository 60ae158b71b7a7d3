// The words of the show. Each passage is spoken over its picture and must
// finish before the next passage is due (NARRATION.md has the timings);
// rate and pitch tags stay in force until a later tag changes them.
#include "show/Script.h"

namespace {

// The show's base voice, before anything is said.
const char16_t voice[] =
    u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>";

const char16_t complaint[] =
    u"Demos are rude to disabled people. <silence msec=\"50\" />"
    u" They flash, <silence msec=\"50\" />"
    u" they boom, <silence msec=\"40\" />"
    u" they never ask <silence msec=\"150\" />"
    u" who is left out. <silence msec=\"300\" />"
    u" We are tired of it.";

const char16_t closedDoors[] =
    u"If you cannot see, <silence msec=\"10\" />"
    u" the door is shut. <silence msec=\"5\" />"
    u" If you cannot hear, <silence msec=\"50\" />"
    u" it is shut, <silence msec=\"5\" />"
    u" and <silence msec=\"10\" />"
    u" bolted.";

const char16_t makers[] =
    u"Phosphor Collective presents <silence msec=\"50\" />"
    u" the first demo <silence msec=\"100\" />"
    u" open to every audience. <silence msec=\"50\" />"
    u" Eyes optional. <silence msec=\"20\" />"
    u" Ears optional.";

const char16_t title[] =
    u"<rate absspeed=\"-8\"/><pitch absmiddle=\"-18\"/>"
    u"This <silence msec=\"50\" />"
    u" is <silence msec=\"50\" />"
    u" Glowmoth."
    u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>";

const char16_t leanIn[] =
    u"<rate absspeed=\"-4\"/><pitch absmiddle=\"-10\"/>"
    u"Lean in <silence msec=\"10\" />"
    u" to the monitor. <silence msec=\"10\" />"
    u" Closer.";

const char16_t nearer[] =
    u"And <silence msec=\"50\" />"
    u" nearer <silence msec=\"50\" />"
    u" still."
    u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>";

const char16_t faceToGlass[] =
    u"Feel it: <silence msec=\"50\" />"
    u" warmth, <silence msec=\"10\" />"
    u" a prickle, <silence msec=\"10\" />"
    u" a hum <silence msec=\"10\" />"
    u" too high to hear. <silence msec=\"50\" />"
    u" Tiny hairs <silence msec=\"50\" />"
    u" stand up <silence msec=\"20\" />"
    u" to listen. <silence msec=\"40\" />"
    u" The screen breathes.";

const char16_t lickTheGlass[] =
    u"Now <silence msec=\"10\" />"
    u" put out <silence msec=\"10\" />"
    u" your tongue <silence msec=\"10\" />"
    u" and lick <silence msec=\"10\" />"
    u" the glass. <silence msec=\"10\" />"
    u" Cool. <silence msec=\"10\" />"
    u" Smooth.";

const char16_t staticTaste[] =
    u"Do you feel that? <silence msec=\"10\" />"
    u" A tingle. <silence msec=\"50\" />"
    u" Static, <silence msec=\"30\" />"
    u" dancing on your tongue. <silence msec=\"50\" />"
    u" Tiny sparks, <silence msec=\"10\" />"
    u" like <silence msec=\"10\" />"
    u" popping <silence msec=\"10\" />"
    u" candy. <silence msec=\"10\" />"
    u" And under them, <silence msec=\"20\" />"
    u" faint but certain, the flavour of "
    u"<rate absspeed=\"-4\"/>very old dust."
    u"<rate absspeed=\"-3\"/>";

const char16_t cheekOnScreen[] =
    u"Rest your cheek <silence msec=\"30\" />"
    u" on the glass. <silence msec=\"20\" />"
    u" Warm. <silence msec=\"10\" />"
    u" Now slide <silence msec=\"20\" />"
    u" slowly <silence msec=\"10\" />"
    u" upwards, <silence msec=\"20\" />"
    u" until your ear <silence msec=\"20\" />"
    u" finds the edge.";

const char16_t casing[] =
    u"Past the edge, <silence msec=\"20\" />"
    u" glass turns to plastic. <silence msec=\"10\" />"
    u" Smooth, <silence msec=\"20\" />"
    u" then ridged. <silence msec=\"10\" />"
    u" Follow it <silence msec=\"20\" />"
    u" with your fingertips. <silence msec=\"20\" />"
    u" It warms <silence msec=\"20\" />"
    u" near the vents.";

const char16_t ventAir[] =
    u"Hold your face <silence msec=\"20\" />"
    u" to the vents. <silence msec=\"10\" />"
    u" A soft, <silence msec=\"5\" />"
    u" warm <silence msec=\"10\" />"
    u" breath. The machine sighs.";

const char16_t handsDown[] =
    u"Now let your hands <silence msec=\"20\" />"
    u" wander down <silence msec=\"20\" />"
    u" to the computer <silence msec=\"20\" />"
    u" itself.";

const char16_t frontOfCase[] =
    u"Feel the front of the case. <silence msec=\"20\" />"
    u" Buttons. <silence msec=\"20\" />"
    u" A big one, <silence msec=\"20\" />"
    u" a small one. <silence msec=\"20\" />"
    u" Do not press. <silence msec=\"20\" />"
    u" A slot, <silence msec=\"20\" />"
    u" a grille, <silence msec=\"20\" />"
    u" a tiny light that hums on your fingertip.";

const char16_t overTheTop[] =
    u"<pitch absmiddle=\"-9\"/>"
    u"Walk your fingers over the top of the case and down its back, <silence msec=\"30\" />"
    u" to where the cables live. Mind the dust bunnies.";

const char16_t connectors[] =
    u"<pitch absmiddle=\"-10\"/>"
    u"Connectors <silence msec=\"10\" />"
    u" round <silence msec=\"20\" />"
    u" flat <silence msec=\"20\" />"
    u" screwed <silence msec=\"30\" />"
    u" toothed <silence msec=\"30\" />"
    u" and one <silence msec=\"30\" />"
    u" that bites.";

const char16_t backPlate[] =
    u"<pitch absmiddle=\"-7\"/>"
    u"Now taste the back <silence msec=\"10\" />"
    u"<pitch absmiddle=\"-6\"/> plate <silence msec=\"20\" />"
    u"<pitch absmiddle=\"-7\"/> cold metal "
    u"<pitch absmiddle=\"-8\"/>tiny letters <silence msec=\"40\" />"
    u" Read them slowly.";

const char16_t connectorFlavours[] =
    u"Each plug tastes different. <silence msec=\"20\" />"
    u" Video: <silence msec=\"20\" />"
    u" sour. <silence msec=\"20\" />"
    u" Sound: <silence msec=\"20\" />"
    u" sweet, <silence msec=\"20\" />"
    u" a bit tinny. <silence msec=\"20\" />"
    u" Power: <silence msec=\"20\" />"
    u" do not lick power.";

const char16_t farewell[] =
    u"<pitch absmiddle=\"-10\"/>"
    u"That is all. <silence msec=\"50\" />"
    u" Lift your face. <silence msec=\"20\" />"
    u" Let go. <silence msec=\"20\" />"
    u" Wipe <silence msec=\"20\" />"
    u" your chin. <silence msec=\"20\" />"
    u" The glass <silence msec=\"20\" />"
    u" will miss you. "
    u"<rate absspeed=\"-6\"/>Remember<rate absspeed=\"-3\"/> it: <silence msec=\"10\" />"
    u" warmth, <silence msec=\"50\" />"
    u" dust, <silence msec=\"20\" />"
    u" a spark "
    u"<rate absspeed=\"-5\"/><silence msec=\"20\" /> still on "
    u"<pitch absmiddle=\"-12\"/><silence msec=\"20\" /> your lips.";

const char16_t credits[] =
    u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-10\"/>"
    u"Code by <silence msec=\"200\" />"
    u"<pitch absmiddle=\"+10\"/> Tallowfinch. "
    u"<pitch absmiddle=\"-10\"/>Pictures by <silence msec=\"150\" />"
    u"<pitch absmiddle=\"+10\"/> Lumenwick. "
    u"<pitch absmiddle=\"-5\"/>Words by <silence msec=\"150\" />"
    u"<pitch absmiddle=\"+15\"/> Quillmoth.";

constexpr ScriptEvent say(Uint32 time, const char16_t* text) {
    return {time, ScriptEventKind::Speech, 0, text};
}

constexpr ScriptEvent show(Uint32 time, int picture) {
    return {time, ScriptEventKind::Picture, picture, nullptr};
}

constexpr ScriptEvent end(Uint32 time) {
    return {time, ScriptEventKind::End, 0, nullptr};
}

}  // namespace

const ScriptEvent showScript[scriptEventCount] = {
    say(0, voice),
    show(0, 1),
    say(2000, complaint),
    say(12200, closedDoors),
    show(19800, 2),
    say(19900, makers),
    show(28700, 3),
    say(28800, title),
    show(32700, 4),
    say(32800, leanIn),
    say(36900, nearer),
    show(39300, 5),
    say(39400, faceToGlass),
    show(50000, 6),
    say(50100, lickTheGlass),
    show(56300, 7),
    say(56400, staticTaste),
    show(60900, 8),
    show(71300, 9),
    say(72400, cheekOnScreen),
    show(81700, 10),
    say(81800, casing),
    show(93100, 11),
    say(93200, ventAir),
    show(100400, 12),
    say(100500, handsDown),
    show(105600, 13),
    say(105700, frontOfCase),
    show(118900, 14),
    say(119000, overTheTop),
    show(128000, 15),
    say(128100, connectors),
    show(134000, 16),
    say(134100, backPlate),
    show(140200, 17),
    say(140300, connectorFlavours),
    show(150900, 18),
    say(151000, farewell),
    show(165900, 19),
    say(166000, credits),
    end(179000),
};
