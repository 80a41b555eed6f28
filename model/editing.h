#pragma once

// The rules of editing through a diagram window, apart from the window: which element an insert command
// makes, where the arrow keys move the current element, refining a statement, and drag and drop. The
// diagram window (ui/struktogrammfenster) calls these and adds the undo steps and the repainting.

#include "model/displayoptions.h"
#include "model/struktteile.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The virtual-key codes of the keys a diagram window acts on.
enum class TKey : int {
    Enter = 13,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Insert = 45,
    Delete = 46,
    F2 = 113, // edits the text, as Enter does
};

// The sender of a plain statement insertion (the Insert key, text editing of a block).
inline constexpr std::string_view kInsertStatement = "Anweisung";

// The new element an insert command makes, by the object name of the pop-up item, menu item or tool-bar
// button that asks: "Anweisung" for a statement, "???" for a decision or a loop. Null for any other name.
std::unique_ptr<TElement> createForSender(std::string_view sender);

// The current element as the window may use it: the element `marked` names, if it still lives and still
// stands in `shown` (the shown block itself included). An entry of an element that is gone is never
// followed.
TElement* findMarked(const TBlock& shown, const TDisplayOptions& options, const TDisplayOptions::Ref& marked);

// Where the arrow keys move the current element; null when the key changes nothing.
// Left: a condition element's first branch (yes branch, loop body).
TElement* walkLeft(TElement* current);
// Right: a decision's no branch, a loop's body.
TElement* walkRight(TElement* current);
// Up: the element that links to the current one (its predecessor, or what holds it first); nothing on the
// shown block itself.
TElement* walkUp(TBlock& shown, TElement* current);
// Down: into a block or a loop body, else to the next element, climbing out of blocks and past decisions;
// never leaves the shown block (what follows it is not drawn in the window). Never null: at the end of the
// shown block it answers the shown block. Starts at the shown block when nothing is current.
TElement* walkDown(TBlock& shown, TElement* current);

// The walk of an arrow key (Left, Up, Right, Down); null for any other key.
TElement* walk(TKey key, TBlock& shown, TElement* current);

// Gives `e` a new text; what is laid out around it is measured again.
void setText(TElement& e, std::string text);

// The first step of refining a statement: a new empty block named after it, standing right after it.
TBlock& addRefinementBlock(TAnweisung& statement);

// Whether dropping `dragged` on `target` (with the hit test's DropAfterBlock) in a window that shows
// `shown` moves anything. Refused: no target; the target is the dragged element or lies inside it; the
// drop would leave everything where it is (after the element it already follows, into the block it
// already starts); a drop after the shown block itself, which would take the element out of view.
bool dropAccepted(const TBlock& shown, const TElement* dragged, const TElement* target, bool afterBlock);

// Moves `dragged` to the drop place (after dropAccepted said yes): after the block `target` when
// `afterBlock`, else as `target`'s successor, or first inside a block `target`.
void dropElement(TBlock& shown, TElement& dragged, TElement& target, bool afterBlock);

// A drop place: the element dropped on, and the hit test's DropAfterBlock.
struct TDropPlace
{
    TElement* target = nullptr;
    bool afterBlock = false;
};

// Where `e` goes when it moves one place up (before its predecessor) or down (after its successor) in its
// sequence, as a drop place for dropElement; nothing where it cannot move: `e` is not a standalone element
// below `shown`, stands first (up) or last (down) in its sequence, or a drag there would be refused.
std::optional<TDropPlace> oneStepPlace(TBlock& shown, TElement* e, bool up);

// What a command needs to act: a current element, or a current block (collapse, open in a window).
enum class TCommandNeed { Element, Block };
// Whether a command with that need acts on `current` (null: nothing current).
bool commandAvailable(TCommandNeed need, const TElement* current);
