#pragma once

#include <string>

#include "publish/record.h"

// A record of the size --json writes for a variant 1 reply.
inline const std::string kSampleRecordJson =
    R"j({"time":"2026-01-01T00:00:00.000Z","address":1,"outcome":"accepted","variant":1,)j"
    R"j("fault":0,"level1":45.5,"volume1":30.25,"level2":12,"volume2":100,"selfcal":50,)j"
    R"j("alarm_delay":10,"relays":[true,false,true,false],"lines":["ВЛК240ТхИ Исполнение 1",)j"
    R"j("(Уровнемер-Уровнемер)","","Уровень канала 1 - 45.5 %","Объём канала 1 - 30.3 %",)j"
    R"j("Уровень канала 2 - 12.0 %","Объём канала 2 - 100.0 %","Состояния реле: Вкл. Выкл. Вкл. Выкл. "],)j"
    R"j("raw":"1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 66 72 0 0 71 118"})j";

// That record as the reader hands it to the publisher.
inline publish::Record SampleRecord() {
  return {.address = 1,
          .json = kSampleRecordJson,
          .variant = 1,
          .answered = true,
          .late = false,
          .time = "2026-01-01T00:00:00.000Z"};
}
