#include "display/dspdraw.h"

#include "display/caption_writer.h"
#include "platform/text.h"

namespace kronvik {

void DSPDRAW_CLASS::WriteCaption(int32_t due, CaptionWriter& writer) {
    CaptionText = writer.saved_caption_;
    CaptionText += u"   ";
    if (due != 0) {
        // The due appointment replaces the clock for its whole minute.
        CaptionText += Utf8ToUtf16(ScheduleText);
    } else {
        CaptionText += writer.composer_.ClockText16();
        writer.timer2_.SetInterval(0);
    }
    if (writer.flags_.SyncRunning.load() != 0)
        CaptionText += writer.flags_.AutoSync.load() == 1 ? u"." : u" [ Internet Access ]";
    writer.Write(CaptionText);
}

}  // namespace kronvik
