// The exclusive-or idiom: fills by exclusive or, shapes filled black, the same fills again.
#include "emfplay/Player.h"

#include <uemf.h>

#include <cmath>

namespace emfplay {

namespace {

// The second pass's fill is the first's: the same paint over the same bounds.
bool SameFill(const FillStyle& a, const Box& boundsA, const FillStyle& b, const Box& boundsB)
{
    const auto near = [](double u, double v) { return std::abs(u - v) < 1; };
    return a.Rgb == b.Rgb && a.Reference == b.Reference && a.EvenOdd == b.EvenOdd &&
           near(boundsA.Left, boundsB.Left) && near(boundsA.Top, boundsB.Top) && near(boundsA.Right, boundsB.Right) &&
           near(boundsA.Bottom, boundsB.Bottom);
}

} // namespace

bool Player::XorShape(const Path& outline, const Affine& toOutput, bool fill, bool stroke)
{
    if (dc_.Rop2 != U_R2_XORPEN)
        return false;
    // An outline by exclusive or is not drawn, and is not the idiom.
    if (stroke && !dc_.CurrentPen.Null && dc_.CurrentPen.Style != U_PS_NULL && capture_)
        BreakCapture();
    if (fill)
        if (const std::optional<FillStyle> paint = FillOf(dc_.CurrentBrush, false))
            Xor(outline.Transformed(toOutput).Closed(), *paint);
    return true;
}

void Player::Xor(const Path& outline, const FillStyle& fill)
{
    if (!capture_) {
        if (offset_ == noCaptureAt_ || replayBudget_ == 0 || capturesLeft_ == 0)
            return; // an exclusive or alone is not drawn
        --capturesLeft_;
        capture_ = Capture{offset_, 0, Save(), {}, {}, 0};
    }
    Capture& capture = *capture_;
    XorFill item{outline, fill, Chain(), Hidden()};
    if (capture.Mask.empty()) {
        capture.Fills.push_back(std::move(item));
        return;
    }
    if (capture.Matched < capture.Fills.size() &&
        SameFill(capture.Fills[capture.Matched].Fill, capture.Fills[capture.Matched].Outline.Bounds(), item.Fill,
                 item.Outline.Bounds())) {
        if (++capture.Matched == capture.Fills.size())
            FinishCapture();
        return;
    }
    BreakCapture();
}

void Player::CaptureDrawing(const Path& path, const Affine& toOutput, const FillStyle* fill, const StrokeStyle* stroke)
{
    Capture& capture = *capture_;
    const bool masking = !capture.Fills.empty() && capture.Matched == 0;
    const bool blackFill = fill && fill->Reference.empty() && fill->Rgb == 0;
    const bool blackStroke = stroke && stroke->Rgb == 0;
    if (masking && blackFill && (!stroke || blackStroke)) {
        capture.Mask.emplace_back(path.Transformed(toOutput).Closed(), fill->EvenOdd);
        return;
    }
    // The mask's black outline adds nothing to it.
    if (masking && !fill && blackStroke && !capture.Mask.empty())
        return;
    BreakCapture();
}

void Player::FinishCapture()
{
    const Capture done = std::move(*capture_);
    capture_.reset();
    // The first pass's fills within each black shape, under the clips they had.
    for (const auto& [mask, evenOdd] : done.Mask) {
        const ClipChain* clip = nullptr;
        for (const XorFill& fill : done.Fills) {
            if (fill.Hidden)
                continue;
            if (!clip || fill.Clip != *clip) {
                if (clip)
                    painter_.EndLocalClip();
                painter_.SetClip(fill.Clip);
                painter_.BeginLocalClip(mask, evenOdd);
                clip = &fill.Clip;
            }
            painter_.DrawPath(fill.Outline, Affine{}, &fill.Fill, nullptr);
        }
        if (clip)
            painter_.EndLocalClip();
    }
}

} // namespace emfplay
