// The rules of play, checked on single phases.
#include <cmath>

#include "phase_fixture.h"
#include "screen/keyboard.h"

namespace kestal::testing {
namespace {

using Rules = PhaseTest;

TEST_F(Rules, ShipWallsClampAndHalveTheSpeed) {
  s.shipX = 73;  // resting on the left wall still counts as touching it
  s.shipVx = 4;
  s.shipY = 30;
  s.shipVy = -6;
  bounceShip(s);
  EXPECT_EQ(s.shipX, 73);
  EXPECT_EQ(s.shipVx, 2);  // a ship moving right keeps moving right, at half speed
  EXPECT_EQ(s.shipY, 35);
  EXPECT_EQ(s.shipVy, 3);
  EXPECT_EQ(s.bounceFlash, 1);

  s.bounceFlash = 0;
  s.shipX = 570;
  s.shipVx = -4;  // already moving left: the right wall still reverses it
  s.shipY = 363;
  s.shipVy = 8;
  bounceShip(s);
  EXPECT_EQ(s.shipX, 568);
  EXPECT_EQ(s.shipVx, 2);
  EXPECT_EQ(s.shipY, 363);
  EXPECT_EQ(s.shipVy, -4);
  EXPECT_EQ(s.bounceFlash, 1);

  s.bounceFlash = 0;
  s.shipX = 73.5;
  s.shipY = 362.5;
  bounceShip(s);
  EXPECT_EQ(s.bounceFlash, 0);
}

TEST_F(Rules, ThrustersBrakeAndUnboundKeys) {
  s.thrustStep = 1;
  const struct {
    std::string key;
    double vx, vy;
  } cases[] = {{KEY_LEFT, -1, 0}, {"d", -1, 0},     {"e", -1, -1},     {KEY_UP, 0, -1},
               {"r", 0, -1},      {"t", 1, -1},     {KEY_RIGHT, 1, 0}, {"g", 1, 0},
               {"b", 1, 1},       {KEY_DOWN, 0, 1}, {"v", 0, 1},       {"c", -1, 1},
               {"D", 0, 0},       {"x", 0, 0}};
  for (const auto& c : cases) {
    s.shipVx = 0;
    s.shipVy = 0;
    s.keyText = c.key;
    applyFlightCommand(g);
    EXPECT_EQ(s.shipVx, c.vx) << "key " << c.key;
    EXPECT_EQ(s.shipVy, c.vy) << "key " << c.key;
  }
  s.shipVx = 5;
  s.shipVy = -10;
  s.keyText = "f";
  applyFlightCommand(g);
  EXPECT_DOUBLE_EQ(s.shipVx, 3);
  EXPECT_DOUBLE_EQ(s.shipVy, -6);
}

TEST_F(Rules, ChargingAndCoolingHaveTheirLimits) {
  s.shieldEnergy = 199;
  s.engineHeat = 0;
  chargeShields(g);
  EXPECT_EQ(s.shieldEnergy, 204);
  EXPECT_EQ(s.engineHeat, 8);
  chargeShields(g);  // 200 or more: refused, no heat, no sound
  EXPECT_EQ(s.shieldEnergy, 204);
  EXPECT_EQ(s.engineHeat, 8);
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Shield), 1);

  s.shieldEnergy = 10;
  s.engineHeat = 20;
  coolEngines(g);
  EXPECT_EQ(s.shieldEnergy, 10);
  s.shieldEnergy = 50;
  s.engineHeat = 6;
  coolEngines(g);
  EXPECT_EQ(s.engineHeat, 6);
  s.engineHeat = 6.25;
  coolEngines(g);
  EXPECT_EQ(s.shieldEnergy, 40);
  EXPECT_EQ(s.engineHeat, 0.25);
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Hit), 1);
}

TEST_F(Rules, OverheatingAndEmptyShieldsLoseTheShip) {
  s.shieldEnergy = 0;
  s.engineHeat = 63.25;  // cooled to 63 first: safe
  heatBookkeeping(g);
  EXPECT_EQ(s.engineHeat, 63);
  EXPECT_EQ(s.shipLost, 0);
  EXPECT_EQ(s.keyText, "");

  s.engineHeat = 63.5;
  heatBookkeeping(g);
  EXPECT_EQ(s.shipLost, 1);
  EXPECT_EQ(s.keyText, "q");
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Explosion), 1);

  s.engineHeat = 70;
  s.shieldEnergy = -2;  // both at once: two explosions
  heatBookkeeping(g);
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Explosion), 3);
}

TEST_F(Rules, FireCommandFeedsTheTimerAndStartsTheSoundOnlyFromIdle) {
  s.laserTimer = -1;
  fireLaser(g);
  EXPECT_EQ(s.laserTimer, 2);
  EXPECT_EQ(s.engineHeat, 5);
  ASSERT_EQ(sound.calls.size(), 1u);
  EXPECT_EQ(sound.calls[0], (SoundCall{SoundCall::Play, SoundSlot::Laser, true, 0}));

  s.laserTimer = 8;
  fireLaser(g);
  EXPECT_EQ(s.laserTimer, 11);
  s.laserTimer = 9;
  fireLaser(g);
  EXPECT_EQ(s.laserTimer, 9);
  EXPECT_EQ(s.engineHeat, 10);

  s.laserTimer = 0;  // first frame of a level: beam, but no sound
  fireLaser(g);
  EXPECT_EQ(s.laserTimer, 3);
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Laser), 1);
}

TEST_F(Rules, LaserBandIsStrictAndOnlyToTheRight) {
  startLevel(0);
  s.shipX = 200;
  s.shipY = 200;
  s.laserTimer = 2;
  const struct {
    double x, y;
    bool hit;
  } cases[] = {{300, 200, true},  {201, 204.9, true}, {300, 205, false},
               {300, 195, false}, {200, 200, false},  {150, 200, false}};
  for (const auto& c : cases) {
    s.mineX[1] = c.x;
    s.mineY[1] = c.y;
    s.mineHealth[1] = 31;
    laserTest(g, 1);
    EXPECT_EQ(s.mineHealth[1], c.hit ? 29 : 31) << c.x << "," << c.y;
  }
  s.laserTimer = 0;
  s.mineX[1] = 300;
  s.mineY[1] = 200;
  laserTest(g, 1);
  EXPECT_EQ(s.mineHealth[1], 31);
}

TEST_F(Rules, AMineBurstsOnceAndScores) {
  startLevel(0);
  s.shipX = 100;
  s.shipY = 200;
  s.mineX[1] = 300;
  s.mineY[1] = 200;
  s.minePrevX[1] = 299;
  s.minePrevY[1] = 201;
  s.mineHealth[1] = 2;
  s.laserTimer = 11;
  const auto drawsBefore = randomDrawCount();
  laserTest(g, 1);
  EXPECT_EQ(s.mineHealth[1], -9);
  EXPECT_EQ(s.score, 3);
  EXPECT_EQ(s.minesKilled, 1);
  EXPECT_EQ(s.burstCount[1], 400);
  EXPECT_EQ(randomDrawCount() - drawsBefore, 800u);
  EXPECT_EQ(s.burstX[1][400], 299);  // where the mine was just drawn
  EXPECT_EQ(s.burstY[1][1], 201);
  for (int p = 1; p <= 400; ++p) {
    EXPECT_GE(s.burstVx[1][p], -4);
    EXPECT_LT(s.burstVy[1][p], 4);
  }
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Hit), 1);
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Explosion), 1);

  updateMines(g, true);  // dead: never tested again
  EXPECT_EQ(s.score, 3);
  EXPECT_EQ(s.burstCount[1], 399);
}

TEST_F(Rules, MinesBounceStrictlyTouchTheShipAndHomeIn) {
  startLevel(0);
  s.mineAccel = 0.5;
  s.shipX = 300;
  s.shipY = 200;
  s.mineX[1] = 70;  // exactly on the left wall: not bounced
  s.mineY[1] = 200;
  s.mineVx[1] = -1;
  s.mineVy[1] = 0;
  s.bounceFlash = 0;
  updateMines(g, true);
  EXPECT_EQ(s.bounceFlash, 0);
  EXPECT_EQ(s.mineX[1], 69);
  EXPECT_EQ(s.mineVx[1], -0.5);  // homing towards the ship on x, none on the equal y
  EXPECT_EQ(s.mineVy[1], 0);
  updateMines(g, true);
  EXPECT_EQ(s.bounceFlash, 1);
  EXPECT_EQ(s.mineX[1], 70.25);  // clamped to 70, then |v| / 2 = 0.25 inwards

  s.shieldEnergy = 100;
  s.mineX[1] = 308.9;  // contact: centres less than 9 apart on both axes
  s.mineY[1] = 191.1;
  s.mineVx[1] = 0;
  s.mineVy[1] = 0;
  updateMines(g, true);
  EXPECT_EQ(s.shieldEnergy, 98);
  EXPECT_EQ(countSounds(SoundCall::Play, SoundSlot::Hit), 1);  // every frame of contact
  s.mineX[1] = 309;
  s.mineY[1] = 200;
  updateMines(g, true);
  EXPECT_EQ(s.shieldEnergy, 98);
  s.mineX[1] = 300;  // on the ship, after the loss: no contact, no homing
  s.mineY[1] = 190;
  s.mineVx[1] = 0;
  s.mineVy[1] = 0;
  updateMines(g, false);
  EXPECT_EQ(s.shieldEnergy, 98);
  EXPECT_EQ(s.mineVy[1], 0);
  EXPECT_EQ(s.mineY[1], 190);
}

TEST_F(Rules, LevelStartFollowsTheTable) {
  const double counts[] = {1, 3, 5, 7, 9, 10, 13, 16, 20, 25, 35};
  const double accels[] = {0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.065, 0.07, 0.08, 0.1, 0.15};
  for (int level = 0; level < 11; ++level) {
    s.shieldEnergy = 150;
    s.levelIndex = level;
    levelStart(g);
    EXPECT_EQ(s.mineCount, counts[level]);
    EXPECT_EQ(s.mineAccel, accels[level]);
    EXPECT_EQ(s.shieldEnergy, 150);
    for (int m = 1; m <= counts[level]; ++m) {
      EXPECT_EQ(s.mineHealth[m], 31);
      EXPECT_GE(s.mineX[m], 500);
      EXPECT_LT(s.mineX[m], 520);
      EXPECT_GE(s.mineY[m], 150);
      EXPECT_LT(s.mineY[m], 300);
    }
  }
  EXPECT_EQ(s.mineHealth[0], 0);  // slot 0 never used
  s.shieldEnergy = 40;
  s.delayCount = 0;
  levelStart(g);
  EXPECT_EQ(s.shieldEnergy, 100);
  EXPECT_EQ(s.delayCount, 1);
  EXPECT_EQ(s.shipX, 200);
  EXPECT_EQ(s.pulse, 1);
  EXPECT_EQ(s.colourPulse, 1);
}

TEST_F(Rules, LevelStartDrawsStarsThenMinesInOrder) {
  // An independent copy of the runtime's generator: state * 214013 + 2531011, bits 16..30.
  std::uint32_t seed = 1;
  auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return static_cast<double>((seed >> 16) & 0x7FFF) / 32768;
  };
  s.levelIndex = 1;
  levelStart(g);
  const double x1 = next(), y1 = next(), speed1 = next();
  EXPECT_EQ(s.starX[1], std::floor(x1 * 1000));
  EXPECT_EQ(s.starY[1], std::floor(y1 * 349) + 25);
  EXPECT_EQ(s.starSpeed[1], speed1 * 5.3 + 1);
  for (int i = 2; i <= STAR_COUNT; ++i) next(), next(), next();
  EXPECT_EQ(s.mineVx[1], next() * 5 - 2.5);
  EXPECT_EQ(s.mineVy[1], next() * 5 - 2.5);
  EXPECT_EQ(s.mineX[1], next() * 20 + 500);
  EXPECT_EQ(s.mineY[1], next() * 150 + 150);
  EXPECT_EQ(randomDrawCount(), 3u * STAR_COUNT + 4 * 3);
}

TEST_F(Rules, NextLevelOnlyOnceWon) {
  s.levelIndex = 3;
  s.messageText = "";
  nextLevelCommand(s);
  EXPECT_EQ(s.levelIndex, 3);
  EXPECT_EQ(s.levelComplete, 0);
  s.messageText = "-!VICTORY!-";
  nextLevelCommand(s);
  EXPECT_EQ(s.levelIndex, 4);
  EXPECT_EQ(s.levelComplete, 1);
  EXPECT_EQ(s.finalVictory, 0);
  EXPECT_EQ(s.keyText, "q");
  s.levelIndex = 10;
  nextLevelCommand(s);
  EXPECT_EQ(s.finalVictory, 1);
}

TEST_F(Rules, BurstShedsDownToTenAndSkipsParticlesOutsideTheField) {
  s.mineCount = 1;
  s.mineHealth[1] = 0;
  s.burstCount[1] = 12;
  for (int p = 1; p <= 400; ++p) {
    s.burstX[1][p] = 1000;  // far outside: moved but never plotted
    s.burstY[1][p] = 200;
    s.burstVx[1][p] = 1;
    s.burstVy[1][p] = 0;
  }
  const auto before = randomDrawCount();
  for (int frame = 0; frame < 5; ++frame) updateMines(g, true);
  EXPECT_EQ(s.burstCount[1], 10);
  EXPECT_EQ(randomDrawCount(), before);
  EXPECT_EQ(s.burstX[1][1], 1005);
  EXPECT_EQ(s.burstX[1][11], 1002);  // dropped out after two frames, no longer moved
}

}  // namespace
}  // namespace kestal::testing
