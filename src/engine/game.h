#pragma once

#include "assets/sprites.h"
#include "engine/robot.h"
#include "platform/picture.h"
#include "shared/cell_state.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TRenderCache;

// A pixel count from the yard's sizes as a coordinate of the picture.
constexpr std::int32_t ToInt(std::uint32_t V) { return static_cast<std::int32_t>(V); }

// One cell of the yard: what it holds, the picture it shows and its timers.
class TGGCell {
public:
  TGGCell();

  const TFigureSprites* SpritesSet = nullptr; // not owned; none draws nothing
  std::uint32_t SpriteIndex = 1;              // current frame of SpritesSet, from 1
  std::uint32_t State = 0;                    // cs* bits; 0 is an empty cell
  std::uint32_t PreviousProcessedTime = 0;    // last fall step
  std::uint32_t PreviousSpriteTime = 0;       // last frame change
  std::uint32_t TicksToProcess = 500;         // fall speed, or a placed bomb's fuse
  std::uint32_t TicksToSprite = 0;            // frame interval; 0 is not animated
  bool EmptyAfterSprites = false;             // one-shot effect: emptied when it ends
  bool Holded = false;                        // ground and walls: never moves, never blasted
  bool Processed = false;                     // received an object this sweep: skipped once
  bool SLIProcessed = false;                  // the bomb here is blasting right now
  bool PlacedSounded = false;                 // the landing cue has played for what rests here
  bool PastedByRobot = false;                 // the robot once placed a bomb here
  bool ToolUnderRobot = false;                // the robot's picture covers a tool the truck brought

  friend bool operator==(const TGGCell&, const TGGCell&) = default;
};

// The yard: 20 columns by 15 rows, column 1 on the left, row 1 at the top.
class TGameGrid {
public:
  static constexpr std::uint32_t MaxCols = YardCols;
  static constexpr std::uint32_t MaxRows = YardRows;
  static constexpr std::size_t CellCount = MaxCols * MaxRows;

  // Where cell (X, Y) sits in a table of every cell, row by row from the
  // top; and the column and row of the cell at an index.
  static constexpr std::size_t CellIndex(std::uint32_t X, std::uint32_t Y) { return (Y - 1) * MaxCols + (X - 1); }
  static constexpr std::uint32_t ColOf(std::size_t I) { return static_cast<std::uint32_t>(I % MaxCols) + 1; }
  static constexpr std::uint32_t RowOf(std::size_t I) { return static_cast<std::uint32_t>(I / MaxCols) + 1; }

  TGameGrid(std::uint32_t aColsCount, std::uint32_t aRowsCount);
  TGameGrid(const TGameGrid&) = delete;
  TGameGrid& operator=(const TGameGrid&) = delete;

  TGGCell& Cells(std::uint32_t X, std::uint32_t Y) {
    assert(X >= 1 && X <= ColsCount && Y >= 1 && Y <= RowsCount && "cell outside the yard");
    return Storage[CellIndex(X, Y)];
  }
  const TGGCell& Cells(std::uint32_t X, std::uint32_t Y) const {
    assert(X >= 1 && X <= ColsCount && Y >= 1 && Y <= RowsCount && "cell outside the yard");
    return Storage[CellIndex(X, Y)];
  }
  // The pixels cell (X, Y) covers in the picture.
  TPictureRect CellRect(std::uint32_t X, std::uint32_t Y) const {
    return {ToInt((X - 1) * CellWidth), ToInt((Y - 1) * CellHeight), ToInt(CellWidth), ToInt(CellHeight)};
  }

  std::uint32_t CellWidth = CellPixels;
  std::uint32_t CellHeight = CellPixels;
  std::uint32_t RowsCount = 0;
  std::uint32_t ColsCount = 0;

private:
  std::array<TGGCell, CellCount> Storage; // row by row from the top
};

// When the truck comes and how much it brings.
class TTruck {
public:
  std::uint32_t BricksPerTime = 1;    // objects in the current (or last) batch: 0, 1 or 2
  std::uint32_t TicksToNewPart = 500; // interval between two batches
  std::uint32_t PreviousPartTime = 0; // when the last batch came
};

// What one cell of the yard shows: its frame, and the corner it is drawn
// from. Render and the drawing cache both draw a cell as its look and compare
// looks to find what changed, so whatever a cell comes to show besides goes
// here, into Feet and into DrawOn, and nowhere else.
struct TCellLook {
  const TPngImage* Frame = nullptr; // none when the cell draws nothing
  std::int32_t X = 0, Y = 0;        // the top-left corner of the frame

  // Everything the look covers; empty with none.
  TPictureRect Feet() const {
    return Frame != nullptr ? TPictureRect{X, Y, ToInt(Frame->Width()), ToInt(Frame->Height())} : TPictureRect{};
  }
  void DrawOn(TPicture& Picture) const {
    if (Frame != nullptr)
      Picture.Draw(X, Y, *Frame);
  }
  friend bool operator==(const TCellLook&, const TCellLook&) = default;
};

struct TRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The game: the yard, the robot, the truck, the pictures and the rules.
class TGame {
public:
  // Loads every picture from SpritesDir; throws EImageLoadError when one is
  // missing or damaged.
  explicit TGame(const std::string& SpritesDir = DefaultSpritesDir());
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;
  ~TGame();

  std::uint32_t PreviousTime = 0;     // CurrentTime of the previous tick
  std::uint32_t CurrentTime = 0;      // the clock as the current tick started
  std::uint32_t TickCount = 0;        // ticks run since the last new game
  std::uint32_t BlocksCounter = 0;    // declared with the game's state, never used
  std::uint32_t FreeCellsCounter = 0; // empty cells counted by the last tick
  std::unique_ptr<TPicture> Scr;      // everything is drawn here, 640 x 480
  TRect ScrRect;
  TRect aRect; // declared with the game's state, never used
  std::unique_ptr<TGameGrid> GameGrid;
  std::unique_ptr<TSpritesContainer> SpritesContainer;
  std::unique_ptr<TTruck> Truck;
  bool Paused = true;
  bool Stopped = false; // won (Lives 65535) or lost (Lives 0)
  std::uint32_t StartHardnessLevel = 5;
  std::uint32_t HardnessLevel = 5;
  std::uint32_t MaxHardnessLevel = 10;
  std::string MessageStr;
  std::uint32_t Lives = 2;
  std::uint32_t TopGarbageLine = 5;
  std::int32_t TrashGeneratorAlgorythmIndex = 1;
  std::unique_ptr<TRobot> Robot;
  // The robot walks and jumps on screen; off, it is drawn still. Only the picture changes.
  bool Animation = true;
  // For the records, never read by the rules: the time in play since the new
  // game (pauses not counted), the lives the robot had as it escaped, and a
  // line the win picture shows under it (a new record).
  std::uint32_t PlayedMs = 0;
  std::uint32_t LivesAtEscape = 0;
  std::string WinNote;

  static constexpr std::uint32_t WonLives = 65535;

  // A new game on the same yard.
  void Init(std::int32_t aStartHardnessLevel);
  void Pause();
  void Countinue();
  void PauseCountinue();

  // The level, 1 to MaxHardnessLevel, and every speed that follows from it.
  void SetHardness(std::uint32_t aHardnessLevel);
  void IncHardness();
  void DecHardness();
  // A fresh fall-step duration for the current level.
  std::uint32_t GenerateTicksToProcess();

  // One game tick.
  void AITurn();

  // Passes may skip the milliseconds in which nothing is due: each pass then
  // first brings the timers of what rests to where a pass every millisecond
  // would have left them (CatchUp), so the game decides exactly as if every
  // millisecond had had its pass. Off, every pass is taken as it comes.
  bool SkipsQuietMs = false;
  // The loop starts running passes, or runs them again after a pause: the
  // time since the last pass was paused, not skipped, and is not caught up.
  // A new game starts its passes afresh too.
  void StartPasses() { PassesRunning = false; }
  // The next millisecond after the current tick's at which a pass can decide
  // something (a fall, a frame, the truck, the robot sinking); none once the
  // game is over. A key may decide something at any time.
  std::optional<std::uint32_t> NextDecisionTime() const;
  // The next millisecond at which a pass has anything to do: to decide, or
  // to show the robot's next walk or jump frame.
  std::optional<std::uint32_t> NextPassTime() const;
  // Moves the timers of what rests on as passes in every millisecond after
  // After, up to and including Through, would have: what decides is left for
  // its own pass.
  void CatchUp(std::uint32_t After, std::uint32_t Through);

  // Drawing into Scr.
  void Render();
  // Brings Scr to what Render would draw now, pixel for pixel, drawing only
  // what changed since the last call; returns the rectangles of Scr that
  // changed (all of it after other drawing, none when nothing changed).
  const std::vector<TPictureRect>& RenderChanges();
  void DrawStatusStr();
  void DrawPaused();
  void DrawInitScreen();
  void DrawHelpScreen();
  void DrawAboutScreen();
  void DrawWinScreen();
  void DrawLooseScreen();
  // Diagnostics for whoever works on the rules, never drawn in play: the
  // generator and the free cells as text, the grid of cells with their
  // numbers, and one cell's state and ticks to its next process.
  void DrawMessageStr();
  void DrawGrid();
  void DrawCellState(std::uint32_t X, std::uint32_t Y);
  // What cell (X, Y) shows now.
  TCellLook CellLook(std::uint32_t X, std::uint32_t Y) const;
  // The two parts of the status line: lives and bombs at the left, the level at the right.
  void DrawStatusCounts();
  void DrawStatusLevel();

private:
  friend struct TGameProbe; // lets the tests reach the rules one by one

  std::uint32_t SlownessFactor() const { return MaxHardnessLevel - HardnessLevel + 1; }
  void LoseLife();
  void GainLife();
  bool Won() const;
  void StartEffect(TGGCell& Cell);

  // The tick.
  void VisitCell(std::uint32_t X, std::uint32_t Y);
  void FallStep(TGGCell& C, std::uint32_t X, std::uint32_t Y);
  void CopyCell(TGGCell& Source, TGGCell& Target);
  void ClearCell(TGGCell& Cell);
  void BlastCell(std::int32_t X, std::int32_t Y);
  void ExplodeBomb(std::int32_t X, std::int32_t Y);
  bool Elapsed(std::uint32_t Since, std::uint32_t Interval) const;
  void FrameStep(TGGCell& C, std::uint32_t X, std::uint32_t Y);
  void EndEffect(TGGCell& C, std::uint32_t X, std::uint32_t Y);
  void LandOn(TGGCell& C, std::uint32_t S, std::uint32_t X, std::uint32_t Y);
  void DropOntoRobot(TGGCell& C, TGGCell& B, std::uint32_t S, std::uint32_t X);
  void FallInto(TGGCell& C, TGGCell& B, std::uint32_t S);
  void RaiseHardness();
  bool IsRobotCell(std::uint32_t X, std::uint32_t Y) const;
  bool IsRobotUpperCell(std::uint32_t X, std::uint32_t Y) const;
  void KeepRobotMark(TGGCell& C, std::uint32_t X, std::uint32_t Y);
  bool HoldsTool(const TGGCell& C) const;
  bool FallStepDecides(const TGGCell& C, std::uint32_t X, std::uint32_t Y) const;
  bool PassesRunning = false; // a pass has run since StartPasses

  // The truck.
  std::uint32_t FindColumnTop(std::uint32_t X) const;
  void GenerateTrashItem(TGGCell& Cell);
  void DropTrashSmart(std::uint32_t LuckPercentage);
  void DropTrashRandom();
  void DropTrash();

  void DrawFullScreen(const TFigureSprites& Set);
  // The frame cell (X, Y) shows now; nullptr for none.
  const TPngImage* CellFrame(std::uint32_t X, std::uint32_t Y) const;

  // What the picture shows, for drawing only what changed (render_cache.h).
  std::unique_ptr<TRenderCache> Cache;
};
