#pragma once
// One record per decoded sentence type, each filled by its decoder in
// NmeaDecoders.h in one pass over the fields. A value is present only when
// its field was read; the letters beside a number become enums, so a caller
// compares enums, never field texts. Angles and bearings in degrees, speeds
// in the units beside them, ranges in nautical miles, variation signed
// (east positive). Nothing here owns text: a record is a few bytes on the
// stack, filled once per line.

#include <QStringView>
#include <cstdint>
#include <optional>

enum class NmeaReference : uint8_t {
    Relative, // to the bow: apparent wind
    True,
    Magnetic,
};

enum class NmeaUnits : uint8_t {
    Knots,
    KilometresPerHour,
    MetresPerSecond,
    NauticalMiles,
    Other, // a letter that names none of these
};

// The instrument's own verdict on its data ("A" or "V").
enum class NmeaStatus : uint8_t {
    Valid,
    NotValid,
};

enum class NmeaDirection : uint8_t {
    East,
    West,
};

// $--MWV,aaa.a,R,sss.s,N,A   wind angle, R/T, speed, K/M/N, status
// A line whose status is NotValid carries nothing else.
struct NmeaMWV {
    std::optional<float> Angle;
    std::optional<NmeaReference> Reference; // Relative or True; only with Angle
    std::optional<float> Speed;
    std::optional<NmeaUnits> Units; // only with Speed
    std::optional<NmeaStatus> Status;
};

// $--VHW,ttt.t,T,mmm.m,M,ss.s,N,kk.k,K   heading and speed through water
struct NmeaVHW {
    std::optional<float> Heading;
    std::optional<NmeaReference> HeadingReference; // Magnetic; only with Heading
    std::optional<float> Speed;
    std::optional<NmeaUnits> SpeedUnits; // Knots; only with Speed
};

// $--VTG,ttt.t,T,mmm.m,M,ss.s,N,kk.k,K   course and speed over ground
struct NmeaVTG {
    std::optional<float> Course;
    std::optional<NmeaReference> CourseReference; // Magnetic; only with Course
    std::optional<float> Speed;
    std::optional<NmeaUnits> SpeedUnits; // Knots; only with Speed
};

// $--HDG,hhh.h,d.d,E,v.v,W   magnetic sensor heading, deviation, variation
struct NmeaHDG {
    std::optional<float> Heading;
    std::optional<NmeaReference> HeadingReference; // Magnetic; with Heading
    // Negated for West; a number without "E" or "W" beside it has no
    // direction and is not a variation yet.
    std::optional<float> Variation;
    std::optional<NmeaDirection> VariationDirection;
};

// $--HVM,v.v,W   magnetic variation
struct NmeaHVM {
    std::optional<float> Variation;
    std::optional<NmeaDirection> VariationDirection;
};

// $--RMC,hhmmss,A,llll.ll,N,yyyyy.yy,W,s.s,ttt.t,ddmmyy,v.v,E,A
// A line whose status is NotValid carries nothing else.
struct NmeaRMC {
    std::optional<NmeaStatus> Status;
    std::optional<float> Speed;
    std::optional<NmeaUnits> SpeedUnits; // Knots; with Speed
    std::optional<float> Track;
    std::optional<NmeaReference> TrackReference; // True; with Track
    std::optional<float> Variation;
    std::optional<NmeaDirection> VariationDirection;
};

// $--RMB,A,x.x,L,orig,dest,llll.ll,N,yyyyy.yy,W,rrr.r,bbb.b,vv.v,A
// range and bearing to the destination
struct NmeaRMB {
    std::optional<float> Range;
    std::optional<NmeaUnits> RangeUnits; // NauticalMiles; with Range
    std::optional<float> Bearing;
    std::optional<NmeaReference> BearingReference; // True; with Bearing
};

// What a decoder found wrong with a line. A refused line (a field out of
// range or not a number) leaves its record empty; a line whose letters are
// missing keeps what was read, and its values may still be used.
struct NmeaDecodeError {
    enum Kind : uint8_t { None, LettersMissing, OutOfRange, NotANumber };
    Kind eKind = None;
    // The refused field's name ("Angle"): a constant, never the line's.
    QStringView sField;

    explicit operator bool() const { return eKind != None; }
};
