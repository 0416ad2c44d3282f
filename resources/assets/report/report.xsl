<?xml version="1.0" encoding="UTF-8"?>
<!-- Lays a report XML out as HTML for the converter's page layout. Every figure comes
     formatted in the XML: this template only places it. -->
<xsl:stylesheet version="2.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:variable name="unit" select="/Report/AgConfig/@loudnessUnit"/>
  <xsl:variable name="mainLimits" select="/Report/AgConfig/ThresholdMain"/>
  <xsl:variable name="secondaryLimits" select="/Report/AgConfig/ThresholdSecondary"/>

  <xsl:template match="/">
    <html>
      <head>
        <link rel="stylesheet" type="text/css" href="style.css"/>
      </head>
      <body>
        <xsl:apply-templates select="Report"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Report">
    <xsl:if test="CompanyName or Address1 or Address2">
      <p align="right" style="font-size: 9pt; color: #404040;">
        <xsl:if test="CompanyName"><b><xsl:value-of select="CompanyName"/></b><br/></xsl:if>
        <xsl:if test="Address1"><xsl:value-of select="Address1"/><br/></xsl:if>
        <xsl:if test="Address2"><xsl:value-of select="Address2"/></xsl:if>
      </p>
    </xsl:if>
    <h1 style="font-size: 18pt;">Loudness Report</h1>
    <table width="100%" cellspacing="0" cellpadding="3" border="0">
      <tr>
        <td width="50%" valign="top">
          <table cellspacing="0" cellpadding="2" border="0">
            <tr><td><b>Date</b></td><td><xsl:apply-templates select="DateTime" mode="date"/></td></tr>
            <tr><td><b>Time (UTC)</b></td>
                <td><xsl:value-of select="concat(DateTime/@startTime, ' - ', DateTime/@endTime)"/></td></tr>
            <tr><td><b>Segment duration</b></td><td><xsl:value-of select="SegmentDuration"/> h</td></tr>
            <tr><td><b>Programs</b></td><td><xsl:value-of select="Pgms/@count"/></td></tr>
            <tr><td><b>True peak errors</b></td><td><xsl:value-of select="TPErrorCount"/></td></tr>
            <tr><td><b>Loudness errors</b></td><td><xsl:value-of select="LoudnessErrorCount"/></td></tr>
          </table>
        </td>
        <td width="50%" valign="top">
          <table cellspacing="0" cellpadding="2" border="0">
            <tr><td><b>Device</b></td><td><xsl:value-of select="InstrumentConfig/@name"/></td></tr>
            <tr><td><b>Manufacturer</b></td><td><xsl:value-of select="InstrumentConfig/@manufacturer"/></td></tr>
            <tr><td><b>Model</b></td><td><xsl:value-of select="InstrumentConfig/@model"/></td></tr>
            <tr><td><b>Serial number</b></td><td><xsl:value-of select="InstrumentConfig/@serialNo"/></td></tr>
            <tr><td><b>Audiogroup</b></td><td><xsl:value-of select="AgConfig/@sourceName"/></td></tr>
            <tr><td><b>Firmware</b></td><td><xsl:value-of select="InstrumentConfig/@firmware"/></td></tr>
          </table>
        </td>
      </tr>
    </table>

    <h2 style="font-size: 13pt;">Details</h2>
    <table cellspacing="0" cellpadding="2" border="0">
      <tr><td><b>Mode</b></td><td><xsl:value-of select="AgConfig/@mode"/></td></tr>
      <tr><td><b>Target</b></td>
          <td><xsl:value-of select="concat(AgConfig/@target, ' ', AgConfig/@targetUnit)"/></td></tr>
      <tr><td><b>Preset name</b></td><td><xsl:value-of select="InstrumentConfig/@presetName"/></td></tr>
      <tr><td><b>Audio mode</b></td><td><xsl:value-of select="AgConfig/@audioMode"/></td></tr>
      <tr><td><b>Domain</b></td><td><xsl:value-of select="AgConfig/@domain"/></td></tr>
    </table>
    <p><b>Limits</b></p>
    <table width="100%" cellspacing="0" cellpadding="3" border="1"
           style="border-collapse: collapse; border-color: #808080;">
      <thead>
        <tr bgcolor="#d8d8d8">
          <th align="left">Limit</th>
          <th align="right">Main upper</th><th align="right">Main lower</th>
          <th align="right">Secondary upper</th><th align="right">Secondary lower</th>
        </tr>
      </thead>
      <xsl:call-template name="limit-row">
        <xsl:with-param name="label" select="'True peak max (dBTP)'"/>
        <xsl:with-param name="attribute" select="'TPMax'"/>
      </xsl:call-template>
      <xsl:call-template name="limit-row">
        <xsl:with-param name="label" select="concat('Momentary max (', $unit, ')')"/>
        <xsl:with-param name="attribute" select="'MMax'"/>
      </xsl:call-template>
      <xsl:call-template name="limit-row">
        <xsl:with-param name="label" select="concat('Short-term max (', $unit, ')')"/>
        <xsl:with-param name="attribute" select="'SMax'"/>
      </xsl:call-template>
      <xsl:call-template name="limit-row">
        <xsl:with-param name="label" select="concat('Integrated (', $unit, ')')"/>
        <xsl:with-param name="attribute" select="'I'"/>
      </xsl:call-template>
      <tr>
        <td>Loudness range (LU)</td>
        <td align="right">none</td><td align="right">none</td>
        <td align="right">none</td><td align="right">none</td>
      </tr>
    </table>

    <xsl:apply-templates select="Pgms/Pgm"/>
  </xsl:template>

  <!-- One date when the period lies within one day, else both. -->
  <xsl:template match="DateTime" mode="date">
    <xsl:choose>
      <xsl:when test="@startDate = @endDate"><xsl:value-of select="@startDate"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="concat(@startDate, '-', @endDate)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="limit-row">
    <xsl:param name="label"/>
    <xsl:param name="attribute"/>
    <tr>
      <td><xsl:value-of select="$label"/></td>
      <td align="right"><xsl:value-of select="$mainLimits/Upper/@*[local-name() = $attribute]"/></td>
      <td align="right"><xsl:value-of select="$mainLimits/Lower/@*[local-name() = $attribute]"/></td>
      <td align="right"><xsl:value-of select="$secondaryLimits/Upper/@*[local-name() = $attribute]"/></td>
      <td align="right"><xsl:value-of select="$secondaryLimits/Lower/@*[local-name() = $attribute]"/></td>
    </tr>
  </xsl:template>

  <xsl:template match="Pgm">
    <h2 style="font-size: 13pt;">Program <xsl:value-of select="@pgmId"/></h2>
    <p>Start <b><xsl:value-of select="@start"/></b>
       &#160;&#160; Stop <b><xsl:value-of select="@stop"/></b>
       &#160;&#160; Program ID <b><xsl:value-of select="@pgmId"/></b></p>
    <xsl:variable name="main" select="Violations/ThresholdMainViolation"/>
    <xsl:variable name="secondary" select="Violations/ThresholdSecondaryViolation"/>
    <table width="100%" cellspacing="0" cellpadding="3" border="1"
           style="border-collapse: collapse; border-color: #808080;">
      <thead>
        <tr bgcolor="#d8d8d8">
          <th align="left">Violations</th>
          <th align="right">Main limit</th><th align="right">Main errors</th>
          <th align="right">Secondary limit</th><th align="right">Secondary errors</th>
        </tr>
      </thead>
      <xsl:call-template name="violation-row">
        <xsl:with-param name="label" select="'True peak (dBTP)'"/>
        <xsl:with-param name="mainLimit" select="$mainLimits/Upper/@TPMax"/>
        <xsl:with-param name="secondaryLimit" select="$secondaryLimits/Upper/@TPMax"/>
        <xsl:with-param name="main" select="$main"/>
        <xsl:with-param name="secondary" select="$secondary"/>
        <xsl:with-param name="mainCount" select="$main/Upper/@TPCount"/>
        <xsl:with-param name="mainColor" select="$main/Upper/@TPMaxColor"/>
        <xsl:with-param name="secondaryCount" select="$secondary/Upper/@TPCount"/>
        <xsl:with-param name="secondaryColor" select="$secondary/Upper/@TPMaxColor"/>
      </xsl:call-template>
      <xsl:call-template name="violation-row">
        <xsl:with-param name="label" select="concat('Momentary (', $unit, ')')"/>
        <xsl:with-param name="mainLimit" select="$mainLimits/Upper/@MMax"/>
        <xsl:with-param name="secondaryLimit" select="$secondaryLimits/Upper/@MMax"/>
        <xsl:with-param name="main" select="$main"/>
        <xsl:with-param name="secondary" select="$secondary"/>
        <xsl:with-param name="mainCount" select="$main/Upper/@MCount"/>
        <xsl:with-param name="mainColor" select="$main/Upper/@MMaxColor"/>
        <xsl:with-param name="secondaryCount" select="$secondary/Upper/@MCount"/>
        <xsl:with-param name="secondaryColor" select="$secondary/Upper/@MMaxColor"/>
      </xsl:call-template>
      <xsl:call-template name="violation-row">
        <xsl:with-param name="label" select="concat('Short-term (', $unit, ')')"/>
        <xsl:with-param name="mainLimit" select="$mainLimits/Upper/@SMax"/>
        <xsl:with-param name="secondaryLimit" select="$secondaryLimits/Upper/@SMax"/>
        <xsl:with-param name="main" select="$main"/>
        <xsl:with-param name="secondary" select="$secondary"/>
        <xsl:with-param name="mainCount" select="$main/Upper/@SCount"/>
        <xsl:with-param name="mainColor" select="$main/Upper/@SMaxColor"/>
        <xsl:with-param name="secondaryCount" select="$secondary/Upper/@SCount"/>
        <xsl:with-param name="secondaryColor" select="$secondary/Upper/@SMaxColor"/>
      </xsl:call-template>
      <xsl:call-template name="violation-row">
        <xsl:with-param name="label" select="concat('Integrated upper (', $unit, ')')"/>
        <xsl:with-param name="mainLimit" select="$mainLimits/Upper/@I"/>
        <xsl:with-param name="secondaryLimit" select="$secondaryLimits/Upper/@I"/>
        <xsl:with-param name="main" select="$main"/>
        <xsl:with-param name="secondary" select="$secondary"/>
        <xsl:with-param name="mainCount" select="$main/Upper/@ICount"/>
        <xsl:with-param name="mainColor" select="$main/Upper/@IColor"/>
        <xsl:with-param name="secondaryCount" select="$secondary/Upper/@ICount"/>
        <xsl:with-param name="secondaryColor" select="$secondary/Upper/@IColor"/>
      </xsl:call-template>
      <xsl:call-template name="violation-row">
        <xsl:with-param name="label" select="concat('Integrated lower (', $unit, ')')"/>
        <xsl:with-param name="mainLimit" select="$mainLimits/Lower/@I"/>
        <xsl:with-param name="secondaryLimit" select="$secondaryLimits/Lower/@I"/>
        <xsl:with-param name="main" select="$main"/>
        <xsl:with-param name="secondary" select="$secondary"/>
        <xsl:with-param name="mainCount" select="$main/Lower/@ICount"/>
        <xsl:with-param name="mainColor" select="$main/Lower/@IColor"/>
        <xsl:with-param name="secondaryCount" select="$secondary/Lower/@ICount"/>
        <xsl:with-param name="secondaryColor" select="$secondary/Lower/@IColor"/>
      </xsl:call-template>
    </table>
    <p style="font-size: 4pt;">&#160;</p>
    <!-- The header rows repeat on every page the table goes on to, the program's name
         with them. -->
    <table width="100%" cellspacing="0" cellpadding="2" border="0">
      <thead>
        <tr>
          <th colspan="8" align="left">
            <xsl:value-of select="concat('Program ', @pgmId, ' (', @start, ' - ', @stop, ')')"/>
          </th>
        </tr>
        <tr bgcolor="#d8d8d8">
          <th align="left">Flag</th>
          <th align="left">Status</th>
          <th align="left">Time (timecode)</th>
          <th align="right">TP (dBTP)</th>
          <th align="right"><xsl:value-of select="concat('M (', $unit, ')')"/></th>
          <th align="right"><xsl:value-of select="concat('S (', $unit, ')')"/></th>
          <th align="right"><xsl:value-of select="concat('I (', $unit, ')')"/></th>
          <th align="right">LRA (LU)</th>
        </tr>
      </thead>
      <xsl:for-each select="Samples/Sample">
        <tr>
          <xsl:if test="position() mod 2 = 0"><xsl:attribute name="bgcolor">#eeeeee</xsl:attribute></xsl:if>
          <td><xsl:value-of select="@flag"/></td>
          <td><xsl:value-of select="@status"/></td>
          <td><xsl:value-of select="@time"/></td>
          <xsl:call-template name="value-cell">
            <xsl:with-param name="value" select="@TP"/>
            <xsl:with-param name="color" select="@TPColor"/>
          </xsl:call-template>
          <xsl:call-template name="value-cell">
            <xsl:with-param name="value" select="@M"/>
            <xsl:with-param name="color" select="@MColor"/>
          </xsl:call-template>
          <xsl:call-template name="value-cell">
            <xsl:with-param name="value" select="@S"/>
            <xsl:with-param name="color" select="@SColor"/>
          </xsl:call-template>
          <xsl:call-template name="value-cell">
            <xsl:with-param name="value" select="@I"/>
            <xsl:with-param name="color" select="@IColor"/>
          </xsl:call-template>
          <xsl:call-template name="value-cell">
            <xsl:with-param name="value" select="@LRA"/>
            <xsl:with-param name="color" select="@LRAColor"/>
          </xsl:call-template>
        </tr>
      </xsl:for-each>
    </table>
  </xsl:template>

  <!-- A limit reads "off" while its threshold set is switched off; its count still shows. -->
  <xsl:template name="violation-row">
    <xsl:param name="label"/>
    <xsl:param name="mainLimit"/>
    <xsl:param name="secondaryLimit"/>
    <xsl:param name="main"/>
    <xsl:param name="secondary"/>
    <xsl:param name="mainCount"/>
    <xsl:param name="mainColor"/>
    <xsl:param name="secondaryCount"/>
    <xsl:param name="secondaryColor"/>
    <tr>
      <td><xsl:value-of select="$label"/></td>
      <td align="right">
        <xsl:choose>
          <xsl:when test="$main/@enabled = '1'"><xsl:value-of select="$mainLimit"/></xsl:when>
          <xsl:otherwise>off</xsl:otherwise>
        </xsl:choose>
      </td>
      <td align="right"><b><font color="{$mainColor}"><xsl:value-of select="$mainCount"/></font></b></td>
      <td align="right">
        <xsl:choose>
          <xsl:when test="$secondary/@enabled = '1'"><xsl:value-of select="$secondaryLimit"/></xsl:when>
          <xsl:otherwise>off</xsl:otherwise>
        </xsl:choose>
      </td>
      <td align="right"><b><font color="{$secondaryColor}"><xsl:value-of select="$secondaryCount"/></font></b></td>
    </tr>
  </xsl:template>

  <!-- The colour word is the text colour; yellow text gets a dark ground to be readable. -->
  <xsl:template name="value-cell">
    <xsl:param name="value"/>
    <xsl:param name="color"/>
    <td align="right">
      <xsl:if test="$color = 'YELLOW'">
        <xsl:attribute name="bgcolor">#505050</xsl:attribute>
      </xsl:if>
      <font color="{$color}"><xsl:value-of select="$value"/></font>
    </td>
  </xsl:template>

</xsl:stylesheet>
