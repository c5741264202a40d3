#include "emfplay/Painter.h"

#include <algorithm>
#include <functional>

namespace emfplay {

void Painter::Begin(double width, double height)
{
    out_.Raw("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"");
    out_.Attribute("width", width).Attribute("height", height);
    out_.Raw(">\n");
}

void Painter::End()
{
    while (localClips_ > 0)
        EndLocalClip();
    wanted_.clear();
    Sync();
    out_.Raw("</svg>\n");
}

std::string Painter::NewId(char kind)
{
    std::string id(1, kind);
    id += std::to_string(++ids_);
    return id;
}

void Painter::WriteClipDefinition(const Path& outline, bool evenOdd, const std::string& id)
{
    out_.Raw("<defs><clipPath id=\"").Raw(id).Raw("\"><path d=\"").PathData(outline).Raw("\"");
    if (evenOdd)
        out_.Raw(" clip-rule=\"evenodd\"");
    out_.Raw("/></clipPath></defs>\n");
}

void Painter::Sync()
{
    // Within a local clip the clip in force stays as it was when it began.
    if (localClips_ > 0)
        return;
    std::size_t same = 0;
    while (same < open_.size() && same < wanted_.size() && open_[same] == wanted_[same])
        ++same;
    if (same == open_.size() && same == wanted_.size())
        return;
    for (std::size_t i = open_.size(); i > same; --i)
        out_.Raw("</g>\n");
    open_.resize(same);
    for (std::size_t i = same; i < wanted_.size(); ++i) {
        const ClipArea& area = *wanted_[i];
        if (area.Id.empty()) {
            area.Id = NewId('c');
            if (area.Rectangles) {
                Path outline;
                for (const Box& box : area.Rectangles->Boxes()) {
                    outline.MoveTo({box.Left, box.Top});
                    outline.LineTo({box.Right, box.Top});
                    outline.LineTo({box.Right, box.Bottom});
                    outline.LineTo({box.Left, box.Bottom});
                    outline.Close();
                }
                WriteClipDefinition(outline, false, area.Id);
            } else {
                WriteClipDefinition(area.Outline, area.EvenOdd, area.Id);
            }
        }
        out_.Raw("<g clip-path=\"url(#").Raw(area.Id).Raw(")\">\n");
        open_.push_back(wanted_[i]);
    }
}

void Painter::BeginLocalClip(const Path& outline, bool evenOdd)
{
    Sync();
    const std::string id = NewId('c');
    WriteClipDefinition(outline, evenOdd, id);
    out_.Raw("<g clip-path=\"url(#").Raw(id).Raw(")\">\n");
    ++localClips_;
}

void Painter::EndLocalClip()
{
    if (localClips_ == 0)
        return;
    --localClips_;
    out_.Raw("</g>\n");
}

void Painter::Transform(const Affine& m)
{
    out_.Raw(" transform=\"matrix(")
        .Number(m.A).Raw(" ").Number(m.B).Raw(" ").Number(m.C).Raw(" ")
        .Number(m.D).Raw(" ").Number(m.E).Raw(" ").Number(m.F).Raw(")\"");
}

void Painter::WriteFill(const FillStyle* fill)
{
    if (!fill) {
        out_.Raw(" fill=\"none\"");
        return;
    }
    if (!fill->Reference.empty())
        out_.Raw(" fill=\"url(#").Raw(fill->Reference).Raw(")\"");
    else
        out_.Color("fill", fill->Rgb);
    if (fill->EvenOdd)
        out_.Raw(" fill-rule=\"evenodd\"");
}

void Painter::WriteStroke(const StrokeStyle& stroke, double scale)
{
    out_.Color("stroke", stroke.Rgb);
    out_.Attribute("stroke-width", stroke.Width / scale);
    if (stroke.LineCap == StrokeStyle::Cap::Round)
        out_.Raw(" stroke-linecap=\"round\"");
    else if (stroke.LineCap == StrokeStyle::Cap::Square)
        out_.Raw(" stroke-linecap=\"square\"");
    if (stroke.LineJoin == StrokeStyle::Join::Round)
        out_.Raw(" stroke-linejoin=\"round\"");
    else if (stroke.LineJoin == StrokeStyle::Join::Bevel)
        out_.Raw(" stroke-linejoin=\"bevel\"");
    else
        out_.Attribute("stroke-miterlimit", stroke.MiterLimit);
    if (!stroke.Dashes.empty()) {
        out_.Raw(" stroke-dasharray=\"");
        for (std::size_t i = 0; i < stroke.Dashes.size(); ++i) {
            if (i)
                out_.Raw(" ");
            out_.Number(stroke.Dashes[i] / scale);
        }
        out_.Raw("\"");
    }
}

void Painter::DrawPath(const Path& path, const Affine& toOutput, const FillStyle* fill, const StrokeStyle* stroke)
{
    if ((!fill && !stroke) || !path.HasSegments() || !toOutput.IsFinite())
        return;
    Sync();
    const bool mapped = toOutput.IsAxisAligned();
    const double scale = mapped ? 1 : toOutput.Scale();
    if (!(scale > 0))
        return;
    out_.Raw("<path d=\"").PathData(mapped ? path.Transformed(toOutput) : path).Raw("\"");
    WriteFill(fill);
    if (stroke)
        WriteStroke(*stroke, scale);
    if (!mapped)
        Transform(toOutput);
    out_.Raw("/>\n");
}

void Painter::DrawText(std::string_view characters, double x, double y, const std::vector<double>& xs,
                       const Affine& toOutput, const TextStyle& style)
{
    if (characters.empty() || !(style.Size > 0) || !toOutput.IsFinite())
        return;
    Sync();
    out_.Raw("<text");
    if (xs.empty()) {
        out_.Attribute("x", x);
    } else {
        out_.Raw(" x=\"");
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (i)
                out_.Raw(" ");
            out_.Number(xs[i]);
        }
        out_.Raw("\"");
    }
    out_.Attribute("y", y);
    // The face as one name of the list: a comma or a quote in it would end it.
    std::string face = style.Family;
    face.erase(std::remove_if(face.begin(), face.end(), [](char c) { return c == ',' || c == '"' || c == '\''; }),
               face.end());
    if (!face.empty() || style.Generic) {
        out_.Raw(" font-family=\"").Escaped(face);
        if (style.Generic)
            out_.Raw(face.empty() ? "" : ", ").Raw(style.Generic);
        out_.Raw("\"");
    }
    out_.Attribute("font-size", style.Size);
    if (style.Weight != 400)
        out_.Attribute("font-weight", style.Weight);
    if (style.Italic)
        out_.Raw(" font-style=\"italic\"");
    if (style.Underline || style.StrikeOut) {
        out_.Raw(" text-decoration=\"");
        if (style.Underline)
            out_.Raw(style.StrikeOut ? "underline line-through" : "underline");
        else
            out_.Raw("line-through");
        out_.Raw("\"");
    }
    if (style.Anchor == 1)
        out_.Raw(" text-anchor=\"middle\"");
    else if (style.Anchor == 2)
        out_.Raw(" text-anchor=\"end\"");
    out_.Color("fill", style.Rgb);
    if (toOutput.A != 1 || toOutput.B != 0 || toOutput.C != 0 || toOutput.D != 1 || toOutput.E != 0 || toOutput.F != 0)
        Transform(toOutput);
    out_.Raw(">").Escaped(characters).Raw("</text>\n");
}

void Painter::DrawPicture(const std::string& encoded, const char* kind, int width, int height, const Box& place,
                          const Affine& toOutput, double opacity)
{
    if (encoded.empty() || width <= 0 || height <= 0 || !toOutput.IsFinite())
        return;
    // From the unit square to the output.
    const Affine placement = Affine::Scaling(place.Right - place.Left, place.Bottom - place.Top)
                                 .Then(Affine::Translation(place.Left, place.Top))
                                 .Then(toOutput);
    if (!placement.IsFinite() || std::abs(placement.Determinant()) < 1e-12)
        return;
    Sync();
    const std::size_t hash = std::hash<std::string>{}(encoded);
    const auto [from, to] = pictures_.equal_range(hash);
    for (auto it = from; it != to; ++it) {
        if (it->second.Encoded != encoded)
            continue;
        // The same picture again: its use maps the first one's place onto this one's.
        const std::optional<Affine> back = it->second.Placement.Inverse();
        if (!back)
            break;
        out_.Raw("<use xlink:href=\"#").Raw(it->second.Id).Raw("\"");
        const Affine use = back->Then(placement);
        Transform(use);
        if (opacity < 1)
            out_.Attribute("opacity", opacity);
        out_.Raw("/>\n");
        return;
    }
    const std::string id = NewId('i');
    out_.Raw("<image id=\"").Raw(id).Raw("\"");
    Affine written;
    if (placement.IsAxisAligned() && placement.A > 0 && placement.D > 0) {
        out_.Attribute("x", placement.E).Attribute("y", placement.F).Attribute("width", placement.A)
            .Attribute("height", placement.D);
        written = placement;
    } else {
        out_.Raw(" x=\"0\" y=\"0\" width=\"1\" height=\"1\"");
        Transform(placement);
        written = Affine{};
    }
    // A use draws the image's place under its own transform only.
    pictures_.emplace(hash, Written{id, written, encoded});
    if (opacity < 1)
        out_.Attribute("opacity", opacity);
    out_.Raw(" xlink:href=\"data:image/").Raw(kind).Raw(";base64,");
    std::string text;
    AppendBase64(text, encoded);
    out_.Raw(text).Raw("\"/>\n");
}

std::string Painter::Pattern(const std::string& key, const Picture& tile, double pixel)
{
    if (const auto it = patterns_.find(key); it != patterns_.end())
        return it->second;
    const std::string id = NewId('p');
    out_.Raw("<defs><pattern id=\"").Raw(id).Raw("\" patternUnits=\"userSpaceOnUse\"")
        .Attribute("width", tile.Width * pixel).Attribute("height", tile.Height * pixel)
        .Raw("><image").Attribute("width", tile.Width * pixel).Attribute("height", tile.Height * pixel)
        .Raw(" xlink:href=\"data:image/png;base64,");
    std::string text;
    AppendBase64(text, EncodePng(tile, 2));
    out_.Raw(text).Raw("\"/></pattern></defs>\n");
    patterns_.emplace(key, id);
    return id;
}

std::string Painter::LinearGradient(Point from, Point to, std::uint32_t fromRgb, std::uint32_t toRgb)
{
    const std::string id = NewId('g');
    out_.Raw("<defs><linearGradient id=\"").Raw(id).Raw("\" gradientUnits=\"userSpaceOnUse\"")
        .Attribute("x1", from.X).Attribute("y1", from.Y).Attribute("x2", to.X).Attribute("y2", to.Y)
        .Raw("><stop offset=\"0\"").Color("stop-color", fromRgb).Raw("/><stop offset=\"1\"")
        .Color("stop-color", toRgb).Raw("/></linearGradient></defs>\n");
    return id;
}

} // namespace emfplay
