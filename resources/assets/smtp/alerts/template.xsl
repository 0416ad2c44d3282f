<?xml version="1.0" encoding="ISO-8859-1"?>
<!-- The HTML body of an alert e-mail, from an "AlertsEmail" document: the logo and the
     heading, then for each "Alert" its time and type, and its description line by line.
     Mail programs ignore style sheets in the head, so the styles sit on the elements.
     XSLT 2.0 as far as QtXmlPatterns runs it: tokenize and replace, nothing more. -->
<xsl:stylesheet version="2.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:template match="/">
    <html>
      <head>
        <meta http-equiv="Content-Type" content="text/html; charset=utf-8"/>
        <title>KIV Alert</title>
      </head>
      <body>
        <table width="100%" cellspacing="0" cellpadding="4" border="0"
               style="width: 100%; font-family: 'Arial Black', Arial, sans-serif;">
          <tr>
            <td style="border-bottom: 1px solid black;">
              <img src="cid:NUVLogo" width="100" alt="NUV" style="width: 100px;"/>
            </td>
            <td colspan="3" align="right" valign="bottom"
                style="font-size: 16px; border-bottom: 1px solid black;">The following alerts occured in the last 10 minutes</td>
          </tr>
          <xsl:apply-templates select="AlertsEmail/Alert"/>
        </table>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Alert">
    <tr style="font-family: Arial, sans-serif; font-size: 14px;">
      <td width="100" valign="top" style="padding-top: 12px;"><b>Time:</b></td>
      <td width="170" valign="top" style="padding-top: 12px;"><xsl:value-of select="@time"/></td>
      <td width="60" valign="top" style="padding-top: 12px;"><b>Type:</b></td>
      <td valign="top" style="padding-top: 12px;"><xsl:value-of select="type"/></td>
    </tr>
    <tr style="font-family: Arial, sans-serif; font-size: 14px;">
      <td valign="top"><b>Description:</b></td>
      <td colspan="3" valign="top">
        <!-- One line of the description a line of the e-mail. -->
        <xsl:for-each select="tokenize(replace(description, '[\r\n]+$', ''), '\r?\n')">
          <xsl:if test="position() &gt; 1"><br/><xsl:text>&#10;</xsl:text></xsl:if>
          <xsl:value-of select="."/>
        </xsl:for-each>
      </td>
    </tr>
  </xsl:template>

</xsl:stylesheet>
