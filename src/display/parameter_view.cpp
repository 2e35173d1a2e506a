#include "display/parameter_view.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "display/view_drawing.h"

namespace {

constexpr int Rows = 7;
constexpr int Columns = 3;
constexpr int ValueLength = 6;

template <typename Cell>
using Grid = std::array<std::array<Cell, Columns>, Rows>;

struct ValueCell {
    float value;
    std::string_view unit;
    float aRate;
    float bRate;
};

// A block of rows marked by a coloured bar with its name on it.
struct Block {
    std::string_view name;
    int firstRow;
    int rows;
    std::uint32_t color;
};

std::array<Block, 3> Blocks(const DisplayControlType& control) {
    return {{{"Voltage", 0, 2, control.VoltageColor},
             {"Current", 2, 2, control.CurrentColor},
             {"Complex", 4, 3, control.PowerColor}}};
}

std::string_view StatusText(std::uint8_t Error_code) {
    static constexpr std::array<std::string_view, 4> Texts = {"Normal", "U Overflow", "I Overflow",
                                                              "U&I Overflow"};
    return Texts[Error_code & 0x03];
}

std::string_view ThdLabel(std::uint8_t Error_code) {
    return (Error_code & 0x80) != 0 ? "THD-R" : "THD-F";
}

Grid<std::string_view> CellLabels(std::string_view thd) {
    return {{{"RMS", "Peak", "DC"},
             {"Frequency", "CF", thd},
             {"RMS", "Peak", "DC"},
             {"Phase", "CF", thd},
             {"Power", "S", "Q"},
             {"PF", "Impedance", "AH"},
             {"WH", "Time", "Average Power"}}};
}

// THD fields are fractions; the cells show them in percent with two decimals.
Grid<ValueCell> ValueCells(const SamplingDataType& d) {
    return {
        {{{{d.U_rms, " V", 1000, 1000}, {d.U_peak, " V", 1000, 1000}, {d.U_DC, " V", 1000, 1000}}},
         {{{d.U_Frequency, " Hz", 1000, 1000},
           {d.U_CrestFactor, "  ", 1000, 1000},
           {d.U_thdF * 10, " %", 1000, 100}}},
         {{{d.I_rms, " A", 10000, 10000},
           {d.I_peak, " A", 1000, 1000},
           {d.I_DC, " A", 1000, 1000}}},
         {{{d.I_Phase, " deg", 100, 100},
           {d.I_CrestFactor, "  ", 1000, 1000},
           {d.I_thdF * 10, " %", 1000, 100}}},
         {{{d.ActivePower, " W", 1000, 1000},
           {d.ApparentPower, " VA", 1000, 1000},
           {d.ReactivePower, " Var", 1000, 1000}}},
         {{{d.PF, "  ", 1000, 1000}, {d.Z, " Ω", 1000, 1000}, {d.AH, " AH", 1000, 1000}}},
         {{{d.WH, " WH", 1000, 1000},
           {static_cast<float>(d.dTime), " S", 1000, 1000},
           {d.Average_Power, " W", 1000, 1000}}}}};
}

int BarWidth(const Table& t) {
    return t.TableWidth / 20;
}

// The bar strip takes the last twentieth of the width; the cells share the rest.
int LabelColumn(const Table& t, int column) {
    const int cellsWidth = t.TableWidth - BarWidth(t);
    switch (column) {
    case 0:
        return t.TableLeft;
    case 1:
        return t.TableLeft + cellsWidth / 3;
    default:
        return t.TableLeft + RoundPixel(2.0 * cellsWidth / 3);
    }
}

int ValueColumn(const Table& t, int column) {
    return LabelColumn(t, column) + t.TableWidth / 40;
}

int RowTop(const Table& t, int row) {
    return t.TableTop + RoundPixel(t.TableHeight / 7.0 * row);
}

// Solid lines frame the blocks, dotted ones separate the rows inside a block.
void DrawRowLines(Canvas& canvas, const DisplayControlType& control, const Table& t) {
    for (int i = 0; i <= Rows; ++i) {
        const bool framesBlock = i == 0 || i == 2 || i == 4 || i == Rows;
        const int y = t.TableTop + TruncPixel(t.TableHeight * i / 7.0);
        const int right = t.TableLeft + t.TableWidth - (framesBlock ? 0 : 2);
        ScaleLine(canvas, control, framesBlock ? Canvas::PenStyle::Solid : Canvas::PenStyle::Dot,
                  t.TableLeft, y, right, y);
    }
}

// Names read from top to bottom inside the bars, straight on their colour.
void DrawBlockBars(Canvas& canvas, const DisplayControlType& control, const Table& t) {
    const int barLeft = t.TableLeft + t.TableWidth - BarWidth(t);
    for (const Block& block : Blocks(control)) {
        const int top =
            t.TableTop + RoundPixel(t.TableHeight / 7.0 * block.firstRow) + t.TableHeight / 80;
        const int height = TruncPixel(t.TableHeight / 7.0 * block.rows) - t.TableHeight / 40;
        FillBox(canvas, block.color, barLeft, top, BarWidth(t), height);
    }
    UseFont(canvas, control.Font4, TextStyle::Regular);
    canvas.SetFontColor(control.BackgroundColor);
    canvas.SetBrushStyle(Canvas::BrushStyle::Clear);
    for (const Block& block : Blocks(control))
        canvas.AngleTextOut(block.name, t.TableLeft + t.TableWidth - 1,
                            t.TableTop + block.firstRow * RoundPixel(t.TableHeight / 7.0) + 9, 270);
}

void DrawCellLabels(Canvas& canvas, const DisplayControlType& control, const Table& t,
                    std::string_view thd) {
    UseFont(canvas, control.Font1, TextStyle::Regular);
    const Grid<std::string_view> labels = CellLabels(thd);
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column)
            OrdinaryLabel(canvas, control, LabelColumn(t, column), RowTop(t, row),
                          labels[std::size_t(row)][std::size_t(column)]);
}

// A value's cell ends an eighth of the table's height below its row's top, in its block's
// colour.
void DrawValues(Canvas& canvas, const DisplayControlType& control, const Table& t,
                const SamplingDataType& Data) {
    const int h = UseFont(canvas, control.Font6, TextStyle::Regular);
    const Grid<ValueCell> cells = ValueCells(Data);
    for (const Block& block : Blocks(control)) {
        UseTextOnBackground(canvas, control, block.color);
        for (int row = block.firstRow; row < block.firstRow + block.rows; ++row) {
            const int y = RowTop(t, row) + RoundPixel(t.TableHeight / 8.0) - h;
            for (int column = 0; column < Columns; ++column) {
                const ValueCell& cell = cells[std::size_t(row)][std::size_t(column)];
                canvas.PrintText(ValueColumn(t, column), y, cell.value, cell.unit, ValueLength,
                                 cell.aRate, cell.bRate);
            }
        }
    }
}

std::string_view ItemOrEmpty(const std::vector<std::string>& items, std::size_t index) {
    return index < items.size() ? std::string_view(items[index]) : std::string_view();
}

void DrawRangeAndStatusRow(Canvas& canvas, const DisplayControlType& control, const Table& t,
                           const SamplingDataType& Data, const RangeLabels& ranges) {
    const int y = BelowTableRowTop(t);
    const int h = UseFont(canvas, control.Font1, TextStyle::Bold);
    InverseLabel(canvas, control, t.TableLeft + 2, y, " U-Range ");
    InverseLabel(canvas, control, QuarterLeft(t, 1), y, " I-Range ");
    InverseLabel(canvas, control, QuarterLeft(t, 2), y, " Status ");

    UseFont(canvas, control.Font1, TextStyle::Regular);
    OrdinaryLabel(canvas, control, t.TableLeft + 6 * h, y,
                  ItemOrEmpty(ranges.voltage, Data.U_Range));
    OrdinaryLabel(canvas, control, QuarterLeft(t, 1) + 6 * h, y,
                  ItemOrEmpty(ranges.current, Data.I_Range));
    OrdinaryLabel(canvas, control, QuarterLeft(t, 2) + 5 * h, y, StatusText(Data.Error_code));
}

} // namespace

void DisplayParameters(Canvas& CanvasPIC, const ViewRect& myRect, DisplayControlType D_Control,
                       SamplingDataType Data, const RangeLabels& ranges) {
    const Table table(myRect);
    DrawRowLines(CanvasPIC, D_Control, table);
    ViewTitle(CanvasPIC, D_Control, table, " Measure ", TextStyle::Bold);
    DrawBlockBars(CanvasPIC, D_Control, table);
    DrawCellLabels(CanvasPIC, D_Control, table, ThdLabel(Data.Error_code));
    DrawValues(CanvasPIC, D_Control, table, Data);
    DrawRangeAndStatusRow(CanvasPIC, D_Control, table, Data, ranges);
    CanvasPIC.SetPenWidth(1);
}
