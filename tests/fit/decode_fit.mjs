// Reads a FIT file with Garmin's own FIT SDK decoder and prints what the
// tests check as one line of JSON:
//
//   node tests/fit/decode_fit.mjs <fitsdk-folder> <file.fit>
//
// <fitsdk-folder> is where `npm install --prefix <folder> @garmin/fitsdk`
// put the SDK (scripts/setup.sh does). Times are seconds since 1970; the
// activity's localTimestamp is the same count on the studio's clock.
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [folder, fitPath] = process.argv.slice(2);
if (!folder || !fitPath) {
  console.error("usage: node decode_fit.mjs <fitsdk-folder> <file.fit>");
  process.exit(2);
}

const packageFolder = join(folder, "node_modules", "@garmin", "fitsdk");
let sdk;
try {
  const { main } = JSON.parse(readFileSync(join(packageFolder, "package.json"), "utf8"));
  sdk = await import(pathToFileURL(join(packageFolder, main ?? "src/index.js")).href);
} catch (error) {
  console.error(`no FIT SDK in ${folder} (scripts/setup.sh installs it): ${error.message}`);
  process.exit(2);
}
const { Decoder, Stream } = sdk;

// FIT's local times count from 1989-12-31 00:00 as its UTC times do.
const FIT_EPOCH_UNIX_SECONDS = 631065600;
const seconds = (value) => (value instanceof Date ? value.getTime() / 1000 : value);

const decoder = new Decoder(Stream.fromBuffer(readFileSync(fitPath)));
const isFIT = decoder.isFIT();
const integrity = decoder.checkIntegrity();

// Every timestamp in the order of the file, to see that they never go back.
let timeOrdered = true;
let lastTime = -Infinity;
const { messages, errors } = decoder.read({
  mesgListener: (_number, message) => {
    if (message.timestamp === undefined) return;
    const time = seconds(message.timestamp);
    if (time < lastTime) timeOrdered = false;
    lastTime = time;
  },
});

const pick = (message, names) =>
  Object.fromEntries(
    names
      .filter((name) => message?.[name] !== undefined)
      .map((name) => [name, Array.isArray(message[name]) ? message[name] : seconds(message[name])]),
  );

const session = messages.sessionMesgs?.[0];
const activity = messages.activityMesgs?.[0];
const records = messages.recordMesgs ?? [];

const recordFields = {};
for (const record of records) {
  for (const [name, value] of Object.entries(record)) {
    if (name === "timestamp" || typeof value !== "number") continue;
    const field = (recordFields[name] ??= { count: 0, min: value, max: value });
    field.count += 1;
    field.min = Math.min(field.min, value);
    field.max = Math.max(field.max, value);
  }
}

const activityFields = pick(activity, [
  "timestamp", "totalTimerTime", "numSessions", "type", "event", "eventType",
]);
if (typeof activity?.localTimestamp === "number") {
  activityFields.localTimestamp = activity.localTimestamp + FIT_EPOCH_UNIX_SECONDS;
}

console.log(
  JSON.stringify({
    isFIT,
    integrity,
    errors: errors.map((error) => String(error?.message ?? error)),
    fileType: messages.fileIdMesgs?.[0]?.type ?? null,
    sport: session?.sport ?? null,
    subSport: session?.subSport ?? null,
    records: records.length,
    laps: messages.lapMesgs?.length ?? 0,
    sessions: messages.sessionMesgs?.length ?? 0,
    timeOrdered,
    session: pick(session, [
      "timestamp", "startTime", "event", "eventType", "totalElapsedTime", "totalTimerTime",
      "totalDistance", "totalCalories", "avgSpeed", "maxSpeed", "avgHeartRate", "maxHeartRate",
      "avgCadence", "maxCadence", "avgPower", "maxPower", "normalizedPower", "totalWork",
      "firstLapIndex", "numLaps", "timeInHrZone", "timeInPowerZone",
    ]),
    activity: activityFields,
    events: (messages.eventMesgs ?? []).map((event) => ({
      event: event.event,
      eventType: event.eventType,
      time: seconds(event.timestamp),
    })),
    recordFields,
  }),
);
