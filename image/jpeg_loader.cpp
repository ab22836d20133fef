// JPEG through libjpeg: a data source that reads the file through the virtual file interface,
// an error manager whose fatal exit jumps back here so that a corrupt picture only fails its
// load, and the scanline loop (3 components as they come, 1 component spread to red = green =
// blue; other counts, such as CMYK, are refused).
#include "image/image_internal.h"

#include "platform/platform.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first

#include <jerror.h>
#include <jpeglib.h>

namespace {

using namespace image::detail;

constexpr uint32_t SOURCE_BUFFER_SIZE = 32768;
// Progressive pictures may carry any number of scans, each a pass over the whole picture;
// real ones have about ten. Far more is only a way to keep the decoder busy.
constexpr int MAX_SCANS = 500;

// Everything one load owns. It lives in one zeroed block, and the code between setjmp and a
// possible longjmp keeps its state here rather than in local variables, so nothing is lost
// or left unreleased when libjpeg's fatal exit jumps back.
struct JpegLoad {
    jpeg_decompress_struct decompressor;
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    BF_Handle file;
    bool sourceStarted; // a read has returned data; an empty first read is an empty file
    bool loaded;
    uint8_t* greyRow;
    JOCTET buffer[SOURCE_BUFFER_SIZE];
};

JpegLoad* LoadOf(j_common_ptr info)
{
    return static_cast<JpegLoad*>(info->client_data);
}

JpegLoad* LoadOf(j_decompress_ptr info)
{
    return static_cast<JpegLoad*>(info->client_data);
}

void TraceMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    SYS_Trace(SYS_TAG_GUI, 1, text);
}

[[noreturn]] void ExitToLoader(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(LoadOf(info)->jump, 1);
}

void LimitScans(j_common_ptr info)
{
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(info);
    if (decompressor->input_scan_number > MAX_SCANS) {
        Refuse("JPEG picture has too many scans");
        std::longjmp(LoadOf(info)->jump, 1);
    }
}

void InitSource(j_decompress_ptr info)
{
    LoadOf(info)->sourceStarted = false;
}

// An empty file is libjpeg's empty-input error; a file that ends early gets a warning and an
// end-of-image marker, as libjpeg's own file source does.
boolean FillInputBuffer(j_decompress_ptr info)
{
    JpegLoad* load = LoadOf(info);
    uint32_t got = BF_Read(load->file, load->buffer, SOURCE_BUFFER_SIZE);
    if (got == 0) {
        if (!load->sourceStarted)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        load->buffer[0] = 0xFF;
        load->buffer[1] = JPEG_EOI;
        got = 2;
    }
    load->source.next_input_byte = load->buffer;
    load->source.bytes_in_buffer = got;
    load->sourceStarted = true;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    jpeg_source_mgr* source = info->src;
    if (count <= 0)
        return;
    while (static_cast<unsigned long>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        (void)FillInputBuffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr)
{
}

void InstallManagers(JpegLoad* load)
{
    jpeg_decompress_struct* decompressor = &load->decompressor;
    decompressor->err = jpeg_std_error(&load->errors);
    load->errors.error_exit = ExitToLoader;
    load->errors.output_message = TraceMessage;
    decompressor->client_data = load; // kept by jpeg_create_decompress
    jpeg_create_decompress(decompressor);
    load->source.init_source = InitSource;
    load->source.fill_input_buffer = FillInputBuffer;
    load->source.skip_input_data = SkipInputData;
    load->source.resync_to_restart = jpeg_resync_to_restart;
    load->source.term_source = TermSource;
    decompressor->src = &load->source;
    load->progress.progress_monitor = LimitScans;
    decompressor->progress = &load->progress;
}

bool ReadScanlines(JpegLoad* load, ImageRecord* image)
{
    jpeg_decompress_struct* decompressor = &load->decompressor;
    size_t stride = size_t { image->width } * 3;
    if (decompressor->output_components == 1) {
        load->greyRow
            = static_cast<uint8_t*>(SYS_Alloc(image->width, "JPEG grey row", SYS_TAG_GUI));
        if (load->greyRow == nullptr)
            return Refuse("no memory for the JPEG grey row");
    }
    while (decompressor->output_scanline < decompressor->output_height) {
        uint8_t* out = image->pixels + decompressor->output_scanline * stride;
        JSAMPROW row = load->greyRow != nullptr ? load->greyRow : out;
        if (jpeg_read_scanlines(decompressor, &row, 1) != 1)
            return Refuse("JPEG scanline could not be read");
        for (uint32_t x = 0; load->greyRow != nullptr && x < image->width; ++x)
            out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = load->greyRow[x];
    }
    return true;
}

// Runs inside the setjmp: any fatal libjpeg error leaves it by a jump back to LoadJpeg.
bool Decode(JpegLoad* load, ImageRecord* image)
{
    jpeg_decompress_struct* decompressor = &load->decompressor;
    InstallManagers(load);
    (void)jpeg_read_header(decompressor, TRUE);
    // Checked before decompression starts, which may allocate buffers for the whole picture.
    if (!ImageSizeAllowed(decompressor->image_width, decompressor->image_height))
        return Refuse("picture too large");
    (void)jpeg_start_decompress(decompressor);
    if (decompressor->output_components != 1 && decompressor->output_components != 3)
        return Refuse("JPEG component count not supported");
    if (!AllocatePixels(image, decompressor->output_width, decompressor->output_height, 3)
        || !ReadScanlines(load, image))
        return false;
    (void)jpeg_finish_decompress(decompressor);
    return true;
}

void EndLoad(JpegLoad* load)
{
    jpeg_destroy_decompress(&load->decompressor);
    if (load->file != 0)
        BF_Close(load->file);
    SYS_Free(load->greyRow);
    SYS_Free(load);
}

}

namespace image::detail {

bool LoadJpeg(const char* name, ImageRecord* image)
{
    auto* load = static_cast<JpegLoad*>(SYS_Alloc(sizeof(JpegLoad), "JPEG decoder", SYS_TAG_GUI));
    if (load == nullptr)
        return Refuse("no memory for the JPEG decoder");
    SYS_Zero(load, sizeof(JpegLoad));
    load->file = BF_Open(name, BF_GENERIC_READ);
    if (load->file == 0)
        Refuse("JPEG file cannot be opened");
    else if (setjmp(load->jump) == 0)
        load->loaded = Decode(load, image);
    bool loaded = load->loaded;
    EndLoad(load);
    if (!loaded)
        DiscardImage(image);
    return loaded;
}

}
